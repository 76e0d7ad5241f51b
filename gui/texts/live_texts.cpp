#include "gui/texts/live_texts.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QVariant>

namespace yumo
{
namespace
{

constexpr char kTextProperty[] = "yumoText";

void SetText(QObject* object, const QString& text)
{
    if (auto* menu = qobject_cast<QMenu*>(object))
    {
        menu->setTitle(text);
    }
    else if (auto* action = qobject_cast<QAction*>(object))
    {
        action->setText(text);
    }
    else if (auto* button = qobject_cast<QAbstractButton*>(object))
    {
        button->setText(text);
    }
    else if (auto* label = qobject_cast<QLabel*>(object))
    {
        label->setText(text);
    }
    else if (auto* group = qobject_cast<QGroupBox*>(object))
    {
        group->setTitle(text);
    }
    else if (auto* widget = qobject_cast<QWidget*>(object))
    {
        widget->setWindowTitle(text);
    }
}

void Retranslate(QObject* object)
{
    const QVariant id = object->property(kTextProperty);
    if (id.isValid())
    {
        SetText(object, Text(static_cast<UiText>(id.toInt())));
    }
}

} // namespace

void ShowText(QObject* object, UiText id)
{
    object->setProperty(kTextProperty, static_cast<int>(id));
    SetText(object, Text(id));
}

void RetranslateTexts(QObject* root)
{
    Retranslate(root);
    for (QObject* object : root->findChildren<QObject*>())
    {
        Retranslate(object);
    }
}

} // namespace yumo
