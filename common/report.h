#pragma once
// The one way the core tells the user something: a message with a caption and a kind. The GUI
// shows it as a message box; tests and yumo-tool capture or print it. Texts and captions are the
// Japanese originals, marked YUMO_TEXT (common/ui_text.h) so that the window can translate them;
// a text with values in it also carries its format and the values, so the format is what gets
// translated.

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
    std::string text;    // UTF-8, complete
    std::string caption; // UTF-8; empty means the platform's default caption
    MessageKind kind = MessageKind::Error;
    // For a text filled from a format: the format with %1 ... %9, and the values in order.
    std::string format;
    std::vector<std::string> arguments;
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

// A text with values in it: the format with %1 ... %9, and the values in order.
struct MessageFormat
{
    std::string format;
    std::vector<std::string> arguments;
};

// Reports `format` with %1 ... %9 replaced by the arguments (FillMessageFormat).
void ReportFormatted(Reporter& reporter, const std::string& format,
                     std::vector<std::string> arguments, const std::string& caption,
                     MessageKind kind = MessageKind::Error);
void ReportFormatted(Reporter& reporter, const MessageFormat& message, const std::string& caption,
                     MessageKind kind = MessageKind::Error);

// Replaces each %1 ... %9 of `format` by its argument in one pass, so an argument that holds a
// '%' is never replaced again; "%%" is one '%', and a directive without an argument stays.
std::string FillMessageFormat(const std::string& format, const std::vector<std::string>& arguments);

} // namespace yumo
