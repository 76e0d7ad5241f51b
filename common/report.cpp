#include "common/report.h"

#include <cstdio>
#include <utility>

namespace yumo
{

void StderrReporter::Report(const UserMessage& message)
{
    if (message.caption.empty())
    {
        std::fprintf(stderr, "%s\n", message.text.c_str());
    }
    else
    {
        std::fprintf(stderr, "%s: %s\n", message.caption.c_str(), message.text.c_str());
    }
}

void ReportMessage(Reporter& reporter, const std::string& text, const std::string& caption,
                   MessageKind kind)
{
    reporter.Report(UserMessage{text, caption, kind, {}, {}});
}

void ReportFormatted(Reporter& reporter, const std::string& format,
                     std::vector<std::string> arguments, const std::string& caption,
                     MessageKind kind)
{
    std::string text = FillMessageFormat(format, arguments);
    reporter.Report(UserMessage{std::move(text), caption, kind, format, std::move(arguments)});
}

void ReportFormatted(Reporter& reporter, const MessageFormat& message, const std::string& caption,
                     MessageKind kind)
{
    ReportFormatted(reporter, message.format, message.arguments, caption, kind);
}

std::string FillMessageFormat(const std::string& format, const std::vector<std::string>& arguments)
{
    std::string out;
    out.reserve(format.size());
    for (size_t i = 0; i < format.size(); ++i)
    {
        const char next = i + 1 < format.size() ? format[i + 1] : '\0';
        if (format[i] == '%' && next == '%')
        {
            out += '%';
            ++i;
        }
        else if (format[i] == '%' && next >= '1' && next <= '9' &&
                 static_cast<size_t>(next - '1') < arguments.size())
        {
            out += arguments[static_cast<size_t>(next - '1')];
            ++i;
        }
        else
        {
            out += format[i];
        }
    }
    return out;
}

} // namespace yumo
