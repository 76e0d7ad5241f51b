#pragma once
// Whether an X11 window is fully covered by others. Qt tells a window unmapped or minimised as
// not exposed, but not one that other windows cover whole; the X server does, to a window that
// asks for visibility events (VisibilityNotify, FullyObscured). Under a compositing window
// manager every window counts as unobscured, since it is drawn off screen; elsewhere than X11
// (Wayland, offscreen) nothing is followed and the window is never obscured.

#include <cstdint>
#include <functional>

#include <QAbstractNativeEventFilter>

class QWindow;

namespace yumo
{

class X11Visibility final : public QAbstractNativeEventFilter
{
public:
    // `changed` hears each change of the obscured state.
    explicit X11Visibility(std::function<void(bool obscured)> changed);
    ~X11Visibility() override;
    X11Visibility(const X11Visibility&) = delete;
    X11Visibility& operator=(const X11Visibility&) = delete;

    // Asks the X server for the visibility events of `window`'s native window (again after Qt
    // made it anew); nothing when not on X11 or the window has no native window yet.
    void Follow(const QWindow& window);
    bool IsObscured() const { return obscured_; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    std::function<void(bool)> changed_;
    uint32_t windowId_ = 0; // the X window followed; 0 for none
    bool obscured_ = false;
    bool installed_ = false;
};

} // namespace yumo
