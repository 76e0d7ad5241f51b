#pragma once
// One companion per desktop session: the first Yumo owns the name org.yumo.Yumo on the session
// bus; a Yumo started later asks it to raise its window, and ends.

#include <QDBusConnection>
#include <QObject>

namespace yumo
{

inline constexpr char kInstanceService[] = "org.yumo.Yumo";
inline constexpr char kInstancePath[] = "/org/yumo/Yumo";

enum class InstanceRole
{
    First,   // this process owns the name
    Another, // a running Yumo owns it
    NoBus,   // no session bus: nothing to coordinate with
};

class SingleInstance final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.yumo.Yumo")

public:
    explicit SingleInstance(const QDBusConnection& bus, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Takes the name when it is free.
    InstanceRole Claim();
    // Asks the running Yumo to raise its window. False when it did not answer.
    bool AskToRaise(int timeoutMilliseconds);

public slots:
    Q_SCRIPTABLE void Raise();

signals:
    void RaiseRequested();

private:
    QDBusConnection bus_;
    bool owner_ = false;
};

} // namespace yumo
