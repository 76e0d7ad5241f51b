// Start-up loading of the response set: from the four text tables when all are present (and
// then also written out as "head_out.bir"), otherwise from "hrtf/head01.bir".

#include <sstream>

#include "audio/hrir_set.h"
#include "common/results.h"
#include "common/text_numbers.h"
#include "common/ui_text.h"

namespace yumo
{
namespace
{

const char* const kOpenErrorCaption = YUMO_TEXT("Yumoオープンエラー");
const char* const kOpenErrorText = YUMO_TEXT(
    ".birファイルを開けません。hrtfフォルダ内に.birファイルが存在するか確認してください。");

int RefuseDamaged(HrirSet& set, Reporter& reporter, const std::string& source,
                  const std::string& why)
{
    set = HrirSet{};
    // The details in brackets are the reader's own, in English.
    ReportFormatted(reporter, YUMO_TEXT("%1 の内容が正しくないため読み込めません。\n(%2)"),
                    {source, why}, kOpenErrorCaption);
    return kFileDamaged;
}

} // namespace

int LoadHrirSet(HrirSet& set, const std::filesystem::path& workDir, Reporter& reporter)
{
    set = HrirSet{};
    const char* const names[4] = {"IR_elev.txt", "IR_azim.txt", "IR_L.txt", "IR_R.txt"};
    std::istringstream tables[4];
    FileReadResult opened[4];
    bool allFound = true;
    for (int i = 0; i < 4; ++i)
    {
        opened[i] = OpenTextTable(workDir / names[i], tables[i]);
        allFound = allFound && opened[i] != FileReadResult::NotOpened;
    }
    if (allFound)
    {
        for (int i = 0; i < 4; ++i)
        {
            if (opened[i] != FileReadResult::Ok)
            {
                return RefuseDamaged(set, reporter, names[i],
                                     std::string("the table ") +
                                         DescribeTextTableProblem(opened[i]));
            }
        }
        std::string why;
        if (!ImportHrirText(tables[0], tables[1], tables[2], tables[3], set, why))
        {
            return RefuseDamaged(set, reporter, "IR_elev.txt, IR_azim.txt, IR_L.txt, IR_R.txt",
                                 why);
        }
        // A set that cannot be written out is still used, as it stands in memory.
        WriteHrirSetFile(set, workDir / "head_out.bir");
        return kOk;
    }

    std::string why;
    switch (ReadHrirSetFile(workDir / "hrtf" / "head01.bir", set, why))
    {
    case HrirFileStatus::Ok:
        break;
    case HrirFileStatus::NotOpened:
        ReportMessage(reporter, kOpenErrorText, kOpenErrorCaption);
        return kFileNotOpened;
    case HrirFileStatus::Damaged:
        return RefuseDamaged(set, reporter, "hrtf/head01.bir", why);
    }
    return kOk;
}

} // namespace yumo
