#include "flash_test_support.h"

#include <string.h>
#include <sys/wait.h>
#include <syslog.h>
#include <unistd.h>

#include "vorltest.h"

namespace flashtest {

std::vector<std::pair<char, int>> gProgress;
std::vector<std::string> gUpdateLog;
std::vector<std::string> gCommands;
int gConfigResult = 0;

vorlsim::SimKernel FullKernel() {
    vorlsim::SimKernel k;
    k.redboot = vorlsim::FullFlash();
    const std::pair<const char *, uint32_t> used[] = {
        {"RedBoot", 0x30000},      {"zImage", 0x100000}, {"rd.gz", 0x180000},
        {"AllLib.tgz", 0x100000},  {"vendor", 0x10000},  {"vorlcfg", 0x8000},
        {"RedBoot Config", 0x1000}};
    uint32_t seed = 10;
    for (const auto &[name, bytes] : used)
        vorlsim::FindPartition(k.redboot->partitions, name)->content =
            vorlsim::PatternBytes(bytes, seed++);
    return k;
}

vorlsim::SimKernel JuniorKernel() {
    vorlsim::SimKernel k;
    k.redboot = vorlsim::JuniorFlash();
    uint32_t seed = 20;
    for (vorlsim::Partition &p : k.redboot->partitions)
        if (p.name != "FIS Directory") p.content = vorlsim::PatternBytes(p.length / 2, seed++);
    return k;
}

void ResetRun(bool junior) {
    UPDTInitLayoutTables(junior ? 1 : 0);
    snprintf(gszDevMtdPartition, sizeof gszDevMtdPartition, "%s",
             junior ? "/dev/mtd5" : "/dev/mtd7");
    snprintf(gszUpdateDir, sizeof gszUpdateDir, "%s", kUpdateDir);
    snprintf(gszVolume, sizeof gszVolume, "%s", "/volume1");
    gblJunior = junior;
    gblGroupUpdate = 0;
    gblRollBackFailed = 0;
    gEraseBlockSize = 0;
    gProgress.clear();
    gUpdateLog.clear();
    gCommands.clear();
    gConfigResult = 0;
    vorltest::RemoveAll(kUpdateDir);
    vorltest::WriteFile(std::string(kUpdateDir) + "/VERSION", "buildnumber=\"900\"\n");
}

void WriteImage(const std::string &file, const std::string &bytes) {
    vorltest::WriteFile(std::string(kUpdateDir) + "/" + file, bytes);
}

std::vector<VORL_FIS_ENTRY> ReadEntries() {
    int cb = 0;
    int n = VORLMTDGetPartitionInfo(gszDevMtdPartition, nullptr, 0, &cb);
    EXPECT_GT(n, 0);
    std::vector<VORL_FIS_ENTRY> entries(n > 0 ? n : 0);
    if (n > 0) {
        EXPECT_EQ(VORLMTDGetPartitionInfo(gszDevMtdPartition, entries.data(), cb, &cb), n);
    }
    return entries;
}

PATCHINFO &Row(const std::string &name) {
    for (int i = 0; i < gnPatchInfo; i++)
        if (name == gPatchInfo[i].name) return gPatchInfo[i];
    ADD_FAILURE() << "no plan row " << name;
    return gPatchInfo[UPDT_MAX_PATCHINFO - 1];
}

}  // namespace flashtest

// --- The driver's side, as the flash code sees it ---------------------------

void UPDTSetProgress(char stage, int percent) {
    flashtest::gProgress.emplace_back(stage, percent);
}

void UPDTAppendLog(const char *szMessage) {
    if (szMessage) flashtest::gUpdateLog.push_back(szMessage);
}

int UPDTExecute(const char *const *rgszArgv) {
    if (!rgszArgv || !rgszArgv[0]) return -1;
    std::string line;
    for (int i = 0; rgszArgv[i]; i++)
        line += (i ? " " : "") + std::string(rgszArgv[i]);
    flashtest::gCommands.push_back(line);
    pid_t pid = fork();
    if (pid == 0) {
        execv(rgszArgv[0], const_cast<char *const *>(rgszArgv));
        _exit(127);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        syslog(LOG_ERR, "%s(%d): failed to execute cmd=[%s], ret = %d", "UPDTExecute", __LINE__,
               line.c_str(), WIFEXITED(status) ? WEXITSTATUS(status) : -1);
        return -1;
    }
    return 0;
}

int UPDTUpdateConfig(void) {
    return flashtest::gConfigResult;
}
