#pragma once
// The one way the core tells the user something: a message with a caption and a kind. The GUI
// shows it as a message box; tests and yumo-tool capture or print it.

#include <string>
#include <vector>

namespace yumo
{

enum class MessageKind
{
    Information,
    Warning,
    Error,
};

struct UserMessage
{
    std::string text;    // UTF-8
    std::string caption; // UTF-8; empty means the platform's default caption
    MessageKind kind = MessageKind::Error;
};

class Reporter
{
public:
    virtual ~Reporter() = default;
    virtual void Report(const UserMessage& message) = 0;
};

// Keeps every message, in order; used by tests and by the command-line tool.
class CapturingReporter : public Reporter
{
public:
    void Report(const UserMessage& message) override { messages.push_back(message); }
    std::vector<UserMessage> messages;
};

// Writes each message to standard error as "caption: text".
class StderrReporter : public Reporter
{
public:
    void Report(const UserMessage& message) override;
};

// Drops every message; for callers that only want the result code.
class SilentReporter : public Reporter
{
public:
    void Report(const UserMessage&) override {}
};

void ReportMessage(Reporter& reporter, const std::string& text, const std::string& caption,
                   MessageKind kind = MessageKind::Error);

} // namespace yumo
