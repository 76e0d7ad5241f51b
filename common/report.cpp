#include "common/report.h"

#include <cstdio>

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
    reporter.Report(UserMessage{text, caption, kind});
}

} // namespace yumo
