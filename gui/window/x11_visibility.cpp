#include "gui/window/x11_visibility.h"

#include <cstdlib>
#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QWindow>

namespace yumo
{

X11Visibility::X11Visibility(std::function<void(bool obscured)> changed)
    : changed_(std::move(changed))
{
}

X11Visibility::~X11Visibility()
{
    if (installed_ && QCoreApplication::instance() != nullptr)
    {
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
}

void X11Visibility::Follow(const QWindow& window)
{
    const auto* x11 = qGuiApp != nullptr
                          ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                          : nullptr;
    if (x11 == nullptr || x11->connection() == nullptr || window.handle() == nullptr)
    {
        return;
    }
    const auto id = static_cast<uint32_t>(window.winId());
    if (id == windowId_)
    {
        return;
    }
    windowId_ = id;
    obscured_ = false;
    // The events Qt asked for stay; visibility changes are added to them.
    xcb_connection_t* connection = x11->connection();
    xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, id), nullptr);
    if (attributes == nullptr)
    {
        return;
    }
    const uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_VISIBILITY_CHANGE;
    std::free(attributes);
    xcb_change_window_attributes(connection, id, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);
    if (!installed_)
    {
        QCoreApplication::instance()->installNativeEventFilter(this);
        installed_ = true;
    }
}

bool X11Visibility::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (windowId_ == 0 || eventType != "xcb_generic_event_t")
    {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7F) != XCB_VISIBILITY_NOTIFY)
    {
        return false;
    }
    const auto* visibility = static_cast<const xcb_visibility_notify_event_t*>(message);
    if (visibility->window != windowId_)
    {
        return false;
    }
    const bool obscured = visibility->state == XCB_VISIBILITY_FULLY_OBSCURED;
    if (obscured != obscured_)
    {
        obscured_ = obscured;
        changed_(obscured);
    }
    return false; // Qt may look at it too
}

} // namespace yumo
