// Start-up loading of the response set: from the four text tables when all are present (and
// then also written out as "head_out.bir"), otherwise from "hrtf/head01.bir".

#include <fstream>

#include "audio/hrir_set.h"
#include "common/results.h"
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
    std::ifstream elevations(workDir / "IR_elev.txt");
    std::ifstream azimuths(workDir / "IR_azim.txt");
    std::ifstream lefts(workDir / "IR_L.txt");
    std::ifstream rights(workDir / "IR_R.txt");
    if (elevations && azimuths && lefts && rights)
    {
        std::string why;
        if (!ImportHrirText(elevations, azimuths, lefts, rights, set, why))
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
