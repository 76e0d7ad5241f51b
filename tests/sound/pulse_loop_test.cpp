// The main-loop interface libpulse runs on, driven as libpulse drives it: its socket channel
// frees a descriptor's event when it turns readable and makes a new one once it has read, and
// it makes and frees a time event for every reply it waits for, both from inside callbacks.

#include <gtest/gtest.h>
#include <set>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include "gui/sound/pulse_loop.h"
#include "sound/sound_fixture.h"

namespace yumo
{
namespace
{

using test::RunFor;
using test::RunUntil;

struct Channel
{
    pa_mainloop_api* api = nullptr;
    int fd = -1;
    pa_io_event* event = nullptr;
    int reads = 0;
    int destroyed = 0;
    int readsBeforeClosing = 0; // after these, the event is freed for good
    std::set<pa_io_event*> made;
};

void OnDestroyed(pa_mainloop_api*, pa_io_event*, void* userdata)
{
    ++static_cast<Channel*>(userdata)->destroyed;
}

void OnReadable(pa_mainloop_api* api, pa_io_event*, int fd, pa_io_event_flags_t, void* userdata)
{
    auto& channel = *static_cast<Channel*>(userdata);
    api->io_free(channel.event);
    char byte = 0;
    ASSERT_EQ(read(fd, &byte, 1), 1);
    channel.event = nullptr;
    if (++channel.reads < channel.readsBeforeClosing)
    {
        channel.event = api->io_new(api, fd, PA_IO_EVENT_INPUT, OnReadable, userdata);
        api->io_set_destroy(channel.event, OnDestroyed);
        channel.made.insert(channel.event);
    }
}

class PulseLoopTest : public test::NoSoundServerTest
{
};

TEST_F(PulseLoopTest, AnEventRemadeInsideItsCallbackKeepsWatchingAndOneFreedForGoodStops)
{
    int fds[2] = {-1, -1};
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    {
        PulseLoop loop;
        Channel channel;
        channel.api = loop.Api();
        channel.fd = fds[0];
        channel.readsBeforeClosing = 3;
        channel.event =
            channel.api->io_new(channel.api, fds[0], PA_IO_EVENT_INPUT, OnReadable, &channel);
        channel.api->io_set_destroy(channel.event, OnDestroyed);
        channel.made.insert(channel.event);
        ASSERT_EQ(write(fds[1], "abcde", 5), 5);
        EXPECT_TRUE(RunUntil([&] { return channel.reads == 3; }, 2000));
        RunFor(50);
        // Two bytes are left unread: the freed descriptor is no longer watched.
        EXPECT_EQ(channel.reads, 3);
        EXPECT_EQ(channel.destroyed, 3);
        // The freed record served the remade event, so its notifier was not made again.
        EXPECT_EQ(channel.made.size(), 1u);

        // Turned off and on again inside one callback is still on.
        Channel again;
        again.api = loop.Api();
        again.fd = fds[0];
        again.readsBeforeClosing = 2;
        again.event = again.api->io_new(again.api, fds[0], PA_IO_EVENT_INPUT, OnReadable, &again);
        EXPECT_TRUE(RunUntil([&] { return again.reads == 2; }, 2000));
        EXPECT_EQ(again.destroyed, 1); // the first event had no destroy callback
    }
    close(fds[0]);
    close(fds[1]);
}

struct Waiter
{
    pa_mainloop_api* api = nullptr;
    int fired = 0;
    int destroyed = 0;
    int chain = 0; // how many more to make, each from the callback of the one before
};

void OnTimeDestroyed(pa_mainloop_api*, pa_time_event*, void* userdata)
{
    ++static_cast<Waiter*>(userdata)->destroyed;
}

void OnTime(pa_mainloop_api* api, pa_time_event* event, const timeval*, void* userdata)
{
    auto& waiter = *static_cast<Waiter*>(userdata);
    ++waiter.fired;
    api->time_free(event);
    if (waiter.chain-- > 0)
    {
        timeval now{};
        gettimeofday(&now, nullptr);
        pa_time_event* next = api->time_new(api, &now, OnTime, userdata);
        api->time_set_destroy(next, OnTimeDestroyed);
    }
}

TEST_F(PulseLoopTest, TimeEventsFreedAndMadeInsideCallbacksEachFireOnceForTheirOwnOwner)
{
    PulseLoop loop;
    pa_mainloop_api* api = loop.Api();
    Waiter first, second;
    first.api = second.api = api;
    first.chain = 20;
    second.chain = 5;
    timeval now{};
    gettimeofday(&now, nullptr);
    api->time_set_destroy(api->time_new(api, &now, OnTime, &first), OnTimeDestroyed);
    api->time_set_destroy(api->time_new(api, &now, OnTime, &second), OnTimeDestroyed);
    // One that is freed unfired is neither fired nor reused with its old owner.
    Waiter never;
    timeval later = now;
    later.tv_sec += 60;
    pa_time_event* unfired = api->time_new(api, &later, OnTime, &never);
    api->time_set_destroy(unfired, OnTimeDestroyed);
    api->time_free(unfired);

    EXPECT_TRUE(RunUntil([&] { return first.fired == 21 && second.fired == 6; }, 3000));
    RunFor(30);
    EXPECT_EQ(first.fired, 21);
    EXPECT_EQ(first.destroyed, 21);
    EXPECT_EQ(second.fired, 6);
    EXPECT_EQ(second.destroyed, 6);
    EXPECT_EQ(never.fired, 0);
    EXPECT_EQ(never.destroyed, 1);
}

} // namespace
} // namespace yumo
