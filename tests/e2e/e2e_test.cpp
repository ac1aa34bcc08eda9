// Whole runs of the real updater binary in simulated appliances: the test's
// own sandbox root is made into an appliance of a profile, the updater runs in
// it with the kernel shim preloaded, and the test reads what the web page and
// the administrator would see (progress file, message file, update log, system
// log) and what became of the flash.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <stdlib.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "appliance.h"
#include "flashimage.h"
#include "updater.h"
#include "vorltest.h"

using vorltest::Exists;
using vorltest::ReadFile;
using vorltest::WriteFile;

// Run options are written with designated initializers naming only what differs.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

constexpr const char *kPackageDir = "/volume1/upd@te";
constexpr const char *kUpdater = "/volume1/upd@te/updater";

std::vector<std::string> Lines(const std::string &text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        out.push_back(line);
    return out;
}

// The update log without its time stamps.
std::vector<std::string> UpdateLog() {
    std::vector<std::string> out;
    for (const std::string &line : Lines(ReadFile(UPDT_LOG_FILE))) {
        size_t tab = line.find('\t');
        out.push_back(tab == std::string::npos ? line : line.substr(tab + 1));
    }
    return out;
}

bool Has(const std::vector<std::string> &lines, const std::string &text) {
    for (const std::string &l : lines) {
        if (l.find(text) != std::string::npos) return true;
    }
    return false;
}

// Whether want is a subsequence of got.
bool InOrder(const std::vector<std::string> &got, const std::vector<std::string> &want) {
    size_t i = 0;
    for (const std::string &g : got) {
        if (i < want.size() && g == want[i]) ++i;
    }
    return i == want.size();
}

std::string Joined(const std::vector<std::string> &v) {
    std::string s;
    for (const std::string &x : v)
        s += "[" + x + "] ";
    return s;
}

// Takes away root's power to ignore file permissions (for the directory
// faults of results 1 and 2).
void DropDacCapabilities() {
    for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH})
        prctl(PR_CAPBSET_DROP, cap, 0, 0, 0);
    __user_cap_header_struct hdr{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    syscall(SYS_capget, &hdr, data);
    for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH}) {
        data[0].effective &= ~(1u << cap);
        data[0].permitted &= ~(1u << cap);
        data[0].inheritable &= ~(1u << cap);
    }
    syscall(SYS_capset, &hdr, data);
}

struct RunOptions {
    std::vector<std::string> args;  // after argv[0]
    std::string argv0 = kUpdater;
    std::string cwd = "/";
    bool dropDac = false;
};

class UpdateRun : public ::testing::Test {
protected:
    void SetUp() override { profile.updater = VORL_UPDATER_BIN; }

    // Makes the appliance of the profile (the test's root).
    void Make() {
        std::string error;
        ASSERT_TRUE(vorlsim::CreateAppliance("", profile, &error)) << error;
    }

    // Runs the updater; answers its exit status (-1 when a signal ended it).
    int Run(const RunOptions &o = {}) {
        unlink("/tmp/progress.trace");
        pid_t pid = fork();
        if (pid == 0) {
            if (chdir(o.cwd.c_str()) != 0) _exit(120);
            if (o.dropDac) DropDacCapabilities();
            setenv("LD_PRELOAD", VORL_SHIM_LIB " " VORL_TRACE_LIB, 1);
            std::string asan = getenv("ASAN_OPTIONS") ? getenv("ASAN_OPTIONS") : "";
            setenv("ASAN_OPTIONS", (asan + ":verify_asan_link_order=0").c_str(), 1);
            std::vector<char *> argv;
            std::vector<std::string> all = {o.argv0};
            all.insert(all.end(), o.args.begin(), o.args.end());
            for (std::string &a : all)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            std::string updater = profile.volume + "/" + profile.packageDir + "/updater";
            execv(updater.c_str(), argv.data());
            _exit(121);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // Every progress value the run wrote, in order.
    std::vector<std::string> Trace() {
        std::vector<std::string> out;
        for (std::string line : Lines(ReadFile("/tmp/progress.trace"))) {
            while (!line.empty() && line.back() == ' ')
                line.pop_back();
            out.push_back(line);
        }
        return out;
    }
    // The value the web page reads at the end (the file is never truncated).
    std::string Progress() {
        std::string p = ReadFile(UPDT_PROGRESS_FILE);
        size_t second = p.find(':', 2);
        return second == std::string::npos ? p : p.substr(0, second + 1);
    }
    std::string Message() { return ReadFile(UPDT_MESSAGE_FILE); }
    std::vector<std::string> Calls() { return Lines(ReadFile(vorlsim::kCallsLog)); }

    vorlsim::FlashSnapshot Flash() {
        vorlsim::FlashSnapshot s;
        std::string error;
        EXPECT_TRUE(vorlsim::ReadFlash("", &s, &error)) << error;
        return s;
    }
    // Whether /dev/mtdN starts with the given bytes.
    static bool Holds(const vorlsim::FlashSnapshot &s, int mtd, const std::string &bytes) {
        return s.Partition(mtd).compare(0, bytes.size(), bytes) == 0;
    }
    std::string NewImage(const std::string &file, size_t kib) {
        return vorlsim::NewImage(file, profile.packageBuild, kib * 1024);
    }

    vorlsim::ApplianceProfile profile;
    vorltest::SyslogCapture syslog;
};

// ---------------------------------------------------------------------------
// Complete runs.

TEST_F(UpdateRun, CompletedRunRewritesTheFlashAndReportsEveryStage) {
    Make();
    std::string oldRedBoot = Flash().Partition(0);
    EXPECT_EQ(Run(), 0);

    std::vector<std::string> trace = Trace();
    EXPECT_TRUE(InOrder(trace, {"A:0:", "A:10:", "A:100:", "P:0:", "P:10:", "P:20:", "P:30:",
                                "P:60:", "P:100:", "C:0:", "C:100:", "R:0:"}))
        << Joined(trace);
    EXPECT_EQ(trace.back(), "R:0:");  // the final R:0: is the same value: not written twice
    for (size_t i = 1; i < trace.size(); ++i)
        EXPECT_NE(trace[i], trace[i - 1]) << i;
    std::string letters;
    for (const std::string &t : trace) {
        if (letters.empty() || letters.back() != t[0]) letters += t[0];
    }
    EXPECT_EQ(letters, "APCR");
    EXPECT_EQ(Progress(), "R:0:");

    vorlsim::FlashSnapshot flash = Flash();
    EXPECT_TRUE(Holds(flash, 1, NewImage("zImage", 1536)));
    EXPECT_TRUE(Holds(flash, 2, NewImage("rd.bin", 2560)));
    EXPECT_EQ(flash.Partition(0), oldRedBoot);  // no image in the package: untouched
    EXPECT_EQ(flash.state().sys405Alloc, 1u);
    EXPECT_EQ(flash.state().sys405Release, 1u);

    EXPECT_FALSE(Exists(std::string(kPackageDir) + "/b@ckup"));
    EXPECT_FALSE(Exists(std::string(kPackageDir) + "/hda1.tgz"));
    EXPECT_TRUE(Exists("/volume1/VorlUpgrade.tar.gz"));
    EXPECT_TRUE(Exists("/.NormalShutdown"));
    EXPECT_FALSE(Exists("/usr/vorl/etc/manutil.conf"));
    EXPECT_FALSE(Exists("/usr/vorl/etc/php.ini"));
    EXPECT_TRUE(Exists("/etc/profile"));  // build 500: not a flagged removal

    std::vector<std::string> log = UpdateLog();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log.front(), "Start of the update...");
    EXPECT_TRUE(InOrder(
        log, {"Start of the update...", "Upgrade from version 2.0.1.500 to version 2.1.0.900",
              "Congratulation!! The update has been completed!!"}))
        << Joined(log);
    EXPECT_EQ(log.back(), "Congratulation!! The update has been completed!!");
    EXPECT_TRUE(Has(log, "Not yet built, skipped: settings migration step 9 (crontab clean-up)"));
    EXPECT_TRUE(Has(log, "Not yet built, skipped: CheckAndUpdateSmmspGroup"));
    EXPECT_FALSE(Has(log, "Failed to accomplish"));

    EXPECT_TRUE(syslog.Contains("main("));
    EXPECT_TRUE(syslog.Contains("): Start of the updater..."));
    EXPECT_TRUE(syslog.Contains("This is not junior, gszDevMtdPartition=[/dev/mtd7]"));
    EXPECT_TRUE(syslog.Contains("number of partitions = [8]"));
    EXPECT_TRUE(syslog.Contains("Congratulation!! The update has been completed!!"));
    EXPECT_TRUE(syslog.Contains("szCmd=[/bin/rm -rf /volume1/upd@te/b@ckup]"));
    EXPECT_FALSE(Exists(UPDT_MESSAGE_FILE));
}

TEST_F(UpdateRun, JuniorUsesItsOwnTablesAndDirectoryDevice) {
    profile.junior = true;
    profile.images = "zImage:700 rd.bin:600";
    Make();
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(syslog.Contains("This is junior, gszDevMtdPartition=[/dev/mtd5]"));
    EXPECT_TRUE(syslog.Contains("number of partitions = [6]"));
    vorlsim::FlashSnapshot flash = Flash();
    EXPECT_TRUE(Holds(flash, 1, NewImage("zImage", 700)));
    EXPECT_TRUE(Holds(flash, 2, NewImage("rd.bin", 600)));
    EXPECT_EQ(Progress(), "R:0:");
}

TEST_F(UpdateRun, LargerEraseBlocks) {
    profile.eraseSize = 0x20000;
    profile.images = "zImage:3500 rd.bin:5000";
    Make();
    EXPECT_EQ(Run(), 0);
    vorlsim::FlashSnapshot flash = Flash();
    EXPECT_EQ(flash.state().eraseSize, 0x20000u);
    EXPECT_TRUE(Holds(flash, 1, NewImage("zImage", 3500)));
    EXPECT_TRUE(Holds(flash, 2, NewImage("rd.bin", 5000)));
}

TEST_F(UpdateRun, MsysLayoutRunsItsOwnSequence) {
    profile.flash = "msys";
    Make();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Progress(), "R:0:");
    EXPECT_TRUE(Holds(Flash(), 1, NewImage("zImage", 1536)));
    EXPECT_FALSE(Exists("/.NormalShutdown"));  // the msys run leaves no marker
    EXPECT_TRUE(Exists("/volume1/VorlUpgrade.tar.gz"));
}

TEST_F(UpdateRun, WithoutInitrdTheMarkerGoesToTheMountedSystem) {
    profile.initrd = false;
    profile.build = 200;  // would set many migration flags with /initrd
    Make();
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(Has(Calls(), "mount /dev/hda1 /tmpRoot"));
    EXPECT_TRUE(Exists("/tmpRoot/.NormalShutdown"));
    EXPECT_FALSE(Exists("/.NormalShutdown"));
    EXPECT_TRUE(Exists("/etc/profile"));  // no migration flag without /initrd
    EXPECT_FALSE(Has(UpdateLog(), "UpdateFTPPassivePortRange"));
    // Without /initrd the uptime is not looked at either.
}

TEST_F(UpdateRun, RaidSystemIsMountedFromTheArray) {
    profile.initrd = false;
    profile.raid = true;
    Make();
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(Has(Calls(), "mount /dev/md0 /tmpRoot"));
    EXPECT_TRUE(Has(Calls(), "get_key_value /etc.defaults/vorlinfo.conf supportraid"));
}

TEST_F(UpdateRun, KernelWithoutDriverBufferCallIsAccepted) {
    profile.sys405 = "enosys";
    Make();
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(syslog.Contains("fail to malloc mtd driver buffer, error = 38"));
    EXPECT_EQ(Progress(), "R:0:");
}

TEST_F(UpdateRun, UptimeLimitAppliesOnlyWithoutTheDriverBuffer) {
    profile.build = 350;  // old enough to need no driver buffer: the uptime rule instead
    profile.uptime = 300;
    Make();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Flash().state().sys405Alloc, 0u);

    profile.uptime = 301;
    profile.build = 351;  // driver buffer: the uptime does not matter
    Make();
    EXPECT_EQ(Run(), 0);

    profile.junior = true;  // junior systems skip the uptime rule
    profile.build = 350;
    profile.images = "zImage:700";
    Make();
    EXPECT_EQ(Run(), 0);
}

TEST_F(UpdateRun, MtuIsLoweredForTheFlashWorkAndRestored) {
    profile.supportMtu = true;
    profile.eth0Mtu = "9000";
    Make();
    EXPECT_EQ(Run(), 0);
    std::vector<std::string> log = UpdateLog();
    EXPECT_TRUE(InOrder(log, {"Not yet built, skipped: UPDTNetSetMTU (MTU 1500 of eth0)",
                              "Not yet built, skipped: UPDTNetSetMTU (MTU 9000 of eth0)"}))
        << Joined(log);
}

TEST_F(UpdateRun, GroupUpdateSkipsAnalysisBackupConfigurationAndRollBack) {
    profile.packageBuild = 400;  // older than the system: analysis would refuse it
    Make();
    EXPECT_EQ(Run({.args = {"-g"}}), 0);
    std::vector<std::string> trace = Trace();
    for (const std::string &t : trace) {
        if (t[0] == 'A') {
            EXPECT_TRUE(t == "A:0:" || t == "A:10:") << t;
        }
    }
    EXPECT_FALSE(InOrder(trace, {"P:30:"}));  // no backup progress
    auto c0 = std::find(trace.begin(), trace.end(), "C:0:");
    ASSERT_NE(c0, trace.end());
    ASSERT_NE(c0 + 1, trace.end());
    EXPECT_EQ(*(c0 + 1), "C:100:");
    EXPECT_TRUE(Exists("/usr/vorl/etc/manutil.conf"));  // no configuration stage
    EXPECT_FALSE(Has(UpdateLog(), "Upgrade from version"));
    EXPECT_EQ(Progress(), "R:0:");
}

TEST_F(UpdateRun, GroupUpdateNeverRollsBack) {
    profile.kernel["fault_erase"] = "mtd2:1-";
    Make();
    std::string oldRamdisk = Flash().Partition(2);
    EXPECT_EQ(Run({.args = {"-g"}}), 20);
    EXPECT_EQ(Progress(), "P:-20:");
    vorlsim::FlashSnapshot flash = Flash();
    EXPECT_TRUE(Holds(flash, 1, NewImage("zImage", 1536)));  // written, never restored
    EXPECT_EQ(flash.Count(vorlsim::kOpRead, 0), 0u);         // no partition was backed up
    EXPECT_FALSE(syslog.Contains("UPDTRollBack"));
}

// ---------------------------------------------------------------------------
// Roll-back.

TEST_F(UpdateRun, FailedMigrationRollsTheFlashBack) {
    profile.failMigration = true;
    Make();
    vorlsim::FlashSnapshot before = Flash();
    EXPECT_EQ(Run(), 17);
    EXPECT_EQ(Progress(), "C:-17:");
    vorlsim::FlashSnapshot after = Flash();
    for (int mtd = 0; mtd < 8; ++mtd)
        EXPECT_EQ(after.Partition(mtd), before.Partition(mtd)) << mtd;
    EXPECT_EQ(after.Fis(), before.Fis());
    EXPECT_FALSE(Exists(std::string(kPackageDir) + "/b@ckup"));
    EXPECT_TRUE(Exists(std::string(kPackageDir) + "/hda1.tgz"));  // not handed over
    EXPECT_FALSE(Exists("/.NormalShutdown"));
    EXPECT_TRUE(syslog.Contains(
        "Failed to update [/usr/vorl/etc/manutil.conf], errno=(21)[Is a directory]"));
    EXPECT_TRUE(syslog.Contains("Turn on the reinstall library flag...!!"));
    EXPECT_EQ(UpdateLog().back(), "Failed to accomplish the update! (errno = 17)");
}

TEST_F(UpdateRun, FailedPatchRollsTheFlashBack) {
    profile.kernel["fault_erase"] = "mtd2:1-3";  // the ramdisk fails its three attempts
    Make();
    vorlsim::FlashSnapshot before = Flash();
    EXPECT_EQ(Run(), 20);
    EXPECT_EQ(Progress(), "P:-20:");
    EXPECT_FALSE(InOrder(Trace(), {"C:0:"}));
    vorlsim::FlashSnapshot after = Flash();
    EXPECT_EQ(after.Partition(1), before.Partition(1));  // the kernel written first is restored
    EXPECT_EQ(after.Fis(), before.Fis());
    EXPECT_FALSE(Exists(std::string(kPackageDir) + "/b@ckup"));
    EXPECT_TRUE(syslog.Contains("fail to patch new binaries!!"));
    EXPECT_EQ(UpdateLog().back(), "Failed to accomplish the update! (errno = 20)");
}

TEST_F(UpdateRun, IncompleteRollBackKeepsTheBackup) {
    profile.kernel["fault_erase"] = "mtd2:1-";  // the ramdisk can never be erased again
    Make();
    EXPECT_EQ(Run(), 20);
    EXPECT_EQ(Progress(), "P:-20:");
    EXPECT_TRUE(Exists(std::string(kPackageDir) + "/b@ckup/mtd_rd.gz"));
    EXPECT_TRUE(syslog.Contains("UPDTRollBack() fail"));
    EXPECT_TRUE(syslog.Contains("roll-back incomplete, keeping [/volume1/upd@te/b@ckup]"));
}

// ---------------------------------------------------------------------------
// Every result the run can end with: code, the value the web page reads last,
// the message sentence and the log line that explains it.

struct Refusal {
    const char *name;
    std::function<void(vorlsim::ApplianceProfile &)> profile;
    std::function<void()> after;  // changes to the made appliance
    RunOptions run;
    int code;
    const char *progress;
    const char *message;  // extramsg, or nullptr for no message file
    const char *syslog;   // a line (part) that must have been logged
};

void NoChange(vorlsim::ApplianceProfile &) {}
void Nothing() {}

std::string LongDir() {
    return "/volume1/" + std::string(250, 'd') + "/more";
}

const Refusal kRefusals[] = {
    {"OpenCwd",
     NoChange,
     [] { mkdir("/volume1/locked", 0755), chmod("/volume1/locked", 0333); },
     {.cwd = "/volume1/locked", .dropDac = true},
     1,
     "A:-1:",
     nullptr,
     "fail to open current directory. errno=13"},
    {"FchdirAtTheEnd",
     NoChange,
     [] {
         // The start directory loses its search permission during the run
         // (when the analysis asks for the partition sizes).
         mkdir("/volume1/noexec", 0755);
         rename("/sbin/sfdisk", "/sbin/sfdisk.real");
         WriteFile("/sbin/sfdisk",
                   "#!/bin/sh\nchmod 0444 /volume1/noexec\nexec /sbin/sfdisk.real \"$@\"\n", 0755);
     },
     {.cwd = "/volume1/noexec", .dropDac = true},
     2,
     "R:-2:",
     nullptr,
     "Failed to accomplish the update! (errno = 2)"},
    {"Chdir",
     NoChange,
     Nothing,
     {.argv0 = "/volume1/nowhere/updater"},
     3,
     "A:-3:",
     nullptr,
     "fail to chdir, errno = 2"},
    {"UpdateDirTooLong",
     NoChange,
     Nothing,
     {.argv0 = LongDir() + "/updater"},
     3,
     "A:-3:",
     nullptr,
     "the update directory is too long"},
    {"WorkingDirectoryTooLong",
     NoChange,
     [] {
         // A short path whose real directory is longer than the buffer.
         std::string deep = "/volume1";
         for (int i = 0; i < 5; ++i)
             deep += "/" + std::string(60, 'd');
         std::filesystem::create_directories(deep);
         symlink(deep.c_str(), "/volume1/short");
     },
     {.argv0 = "/volume1/short/updater"},
     3,
     "A:-3:",
     nullptr,
     "fail to getcwd, errno = 34"},
    {"ReadVer",
     [](auto &p) { p.major = "0"; },
     Nothing,
     {},
     6,
     "A:-6:",
     nullptr,
     "buildnumber or major version == 0"},
    {"ReadVerMissingBuild",
     NoChange,
     [] {
         WriteFile("/etc.defaults/VERSION",
                   "majorversion=\"2\"\nminorversion=\"0\"\n"
                   "buildphase=\"1\"\n");
     },
     {},
     6,
     "A:-6:",
     nullptr,
     "fail to read buildnumber"},
    {"ReadPatchVer",
     [](auto &p) { p.extractSize = ""; },
     Nothing,
     {},
     7,
     "A:-7:",
     nullptr,
     "fail to get patch size"},
    {"PatchVersionIsADirectory",
     NoChange,
     [] {
         unlink("/volume1/upd@te/VERSION");
         mkdir("/volume1/upd@te/VERSION", 0755);
     },
     {},
     7,
     "A:-7:",
     nullptr,
     "the file [VERSION]"},
    {"ReadMod",
     NoChange,
     [] { WriteFile("/etc.defaults/vorlinfo.conf", "supportraid=\"no\"\n"); },
     {},
     8,
     "A:-8:",
     nullptr,
     "Failed to accomplish the update! (errno = 8)"},
    {"ReadPatchMod",
     NoChange,
     [] {
         WriteFile("/volume1/upd@te/VERSION",
                   "majorversion=\"2\"\nminorversion=\"1\"\n"
                   "buildphase=\"0\"\nbuildnumber=\"900\"\n"
                   "extractsize=\"1\"\n");
     },
     {},
     9,
     "A:-9:",
     nullptr,
     "Failed to accomplish the update! (errno = 9)"},
    {"Version",
     [](auto &p) { p.packageBuild = 500; },
     Nothing,
     {},
     10,
     "A:-10:",
     nullptr,
     "orgBuildNumber = 500, newBuildNumber=500"},
    {"Company",
     [](auto &p) { p.packageModel = "vorlane_88f6281_2hd"; },
     Nothing,
     {},
     12,
     "A:-12:",
     nullptr,
     "szOrgCompany = [vorlane_88f5281_1hd], szNewCompany=[vorlane_88f6281_2hd]"},
    {"Patch",
     [](auto &p) { p.major = "1"; },
     Nothing,
     {},
     13,
     "A:-13:",
     nullptr,
     "orgMajorVersion=1"},
    {"Backup",
     [](auto &p) { p.kernel["fault_read"] = "mtd0:1-"; },
     Nothing,
     {},
     15,
     "P:-15:",
     nullptr,
     "fail to backup old patch info"},
    {"SpaceOnTheSystemPartition",
     [](auto &p) { p.extractSize = std::to_string(2000000 - 10240 + 1); },
     Nothing,
     {},
     16,
     "A:-16:",
     UPDT_MSG_NO_SPACE,
     "System Partition is not sufficient."},
    {"SpaceOnTheSystemArray",
     [](auto &p) {
         p.raid = true;
         p.systemKib = 500000;
         p.extractSize = std::to_string(500000 - 10240 + 1);
     },
     Nothing,
     {},
     16,
     "A:-16:",
     UPDT_MSG_NO_SPACE,
     "System Partition is not sufficient."},
    {"ArrayUnknownToTheDriver",
     [](auto &p) {
         p.raid = true;
         p.raidKnown = false;
     },
     Nothing,
     {},
     16,
     "A:-16:",
     UPDT_MSG_NO_SPACE,
     "Failed to get RAID info, err=0"},
    {"WriteableFull",
     [](auto &p) {
         p.model = "vorlane_ixp420_1hd";
         p.build = 261;
         p.writeable = true;
         p.writeableFree = 2 * 1024 * 1024 - 1;
     },
     Nothing,
     {},
     16,
     "A:-16:",
     nullptr,
     "Failed to accomplish the update! (errno = 16)"},
    {"Config",
     [](auto &p) { p.failMigration = true; },
     Nothing,
     {},
     17,
     "C:-17:",
     nullptr,
     "Failed to update [/usr/vorl/etc/manutil.conf]"},
    {"PartitionList",
     [](auto &p) { p.kernel["fault_open"] = "mtd7:1-"; },
     Nothing,
     {},
     18,
     "P:-18:",
     nullptr,
     "fail to get partition info"},
    {"PatchPlan",
     [](auto &p) { p.images = "zImage:9000"; },
     Nothing,
     {},
     19,
     "P:-19:",
     nullptr,
     "fail to initialize patch info"},
    {"PatchWrite",
     [](auto &p) { p.kernel["fault_erase"] = "mtd1:1-"; },
     Nothing,
     {},
     20,
     "P:-20:",
     nullptr,
     "fail to patch new binaries!!"},
    {"DefaultFs",
     [](auto &p) {
         p.model = "vorlane_ixp420_1hd";
         p.build = 261;
         p.writeable = true;
     },
     [] {
         unlink("/etc/vorlinfo.conf");
         mkdir("/etc/vorlinfo.conf", 0755);
     },
     {},
     22,
     "A:-22:",
     nullptr,
     "can not set [defaultfs=ext3] to /etc/vorlinfo.conf"},
    {"DriverBuffer",
     [](auto &p) { p.sys405 = "5"; },
     Nothing,
     {},
     23,
     "A:-23:",
     UPDT_MSG_REBOOT_NOW,
     "fail to malloc mtd driver buffer, error = 5"},
    {"Uptime",
     [](auto &p) {
         p.build = 350;
         p.uptime = 301;
     },
     Nothing,
     {},
     24,
     "A:-24:",
     UPDT_MSG_REBOOT_FIRST,
     "reboot first"},
};

void PrintTo(const Refusal &r, std::ostream *os) {
    *os << r.name;
}

class RefusalRun : public UpdateRun, public ::testing::WithParamInterface<Refusal> {};

TEST_P(RefusalRun, EndsWithItsCodeProgressMessageAndLog) {
    const Refusal &r = GetParam();
    r.profile(profile);
    Make();
    r.after();
    EXPECT_EQ(Run(r.run), r.code);
    EXPECT_EQ(Progress(), r.progress);
    if (r.message) {
        EXPECT_EQ(Message(), std::string("extramsg=\"") + r.message + "\"\n");
    } else {
        EXPECT_FALSE(Exists(UPDT_MESSAGE_FILE));
    }
    EXPECT_TRUE(syslog.Contains(r.syslog)) << Joined(syslog.Lines());
    std::string failed =
        "Failed to accomplish the update! (errno = " + std::to_string(r.code) + ")";
    EXPECT_TRUE(syslog.Contains(failed));
    EXPECT_EQ(UpdateLog().back(), failed);
    EXPECT_EQ(std::string(gszUPDTErrorName[r.code]).rfind("error_", 0), 0u);
    // The driver buffer is given back whatever happened after the analysis.
    vorlsim::FlashSnapshot flash = Flash();
    EXPECT_EQ(flash.state().sys405Held, 0u);
}

INSTANTIATE_TEST_SUITE_P(Results, RefusalRun, ::testing::ValuesIn(kRefusals),
                         [](const auto &info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// The profiles of sim/profiles run as their "# expect: N" line says.

std::vector<std::string> Profiles() {
    std::vector<std::string> names;
    for (const std::string &f : vorltest::ListDir(VORL_PROFILES_DIR)) {
        if (f.size() > 5 && f.compare(f.size() - 5, 5, ".conf") == 0) names.push_back(f);
    }
    return names;
}

class ProfileRun : public UpdateRun, public ::testing::WithParamInterface<std::string> {};

TEST_P(ProfileRun, EndsAsItsProfileSays) {
    std::string path = std::string(VORL_PROFILES_DIR) + "/" + GetParam();
    std::string text = ReadFile(path);
    size_t at = text.find("# expect: ");
    ASSERT_NE(at, std::string::npos) << path << " has no \"# expect: N\" line";
    int expected = atoi(text.c_str() + at + 10);
    std::string error;
    ASSERT_TRUE(vorlsim::LoadProfile(path, &profile, &error)) << error;
    Make();
    EXPECT_EQ(Run(), expected) << Joined(syslog.Lines());
}

INSTANTIATE_TEST_SUITE_P(Profiles, ProfileRun, ::testing::ValuesIn(Profiles()),
                         [](const auto &info) {
                             std::string name = info.param.substr(0, info.param.size() - 5);
                             for (char &c : name) {
                                 if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                             }
                             return name;
                         });

// ---------------------------------------------------------------------------
// The command line.

TEST_F(UpdateRun, HelpPrintsUsageAndStillStartsTheLog) {
    Make();
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], 1);
        execl(kUpdater, kUpdater, "-h", static_cast<char *>(nullptr));
        _exit(121);
    }
    close(fds[1]);
    std::string out;
    char buf[512];
    for (ssize_t n; (n = read(fds[0], buf, sizeof(buf))) > 0;)
        out.append(buf, n);
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    std::vector<std::string> lines = Lines(out);
    ASSERT_EQ(lines.size(), 4u) << out;
    EXPECT_EQ(lines[1], "updater [-h][-g][-v vol]");
    EXPECT_EQ(lines[2], " -g: for group update");
    EXPECT_EQ(lines[3], " -v: specify an avaible volume for upgrade task.");
    EXPECT_EQ(Progress(), "A:0:");
    EXPECT_EQ(UpdateLog(), std::vector<std::string>{"Start of the update..."});
}

TEST_F(UpdateRun, BadOptionsExitWithMinusOne) {
    Make();
    EXPECT_EQ(Run({.args = {"-x"}}), 255);
    EXPECT_TRUE(syslog.Contains("updater: invalid option [x]"));
    EXPECT_EQ(Run({.args = {"-v"}}), 255);
    EXPECT_TRUE(syslog.Contains("updater: invalid option for -v [mount_point]"));
    EXPECT_EQ(Progress(), "A:0:");
    EXPECT_FALSE(Exists("/.NormalShutdown"));
}

TEST_F(UpdateRun, VolumeLongerThanItsBufferIsRefusedNotCut) {
    // Cut to 31 characters this would name another, existing volume.
    std::string volume = "/volume1/" + std::string(22, 'v');  // 31 characters: fits
    std::string tooLong = volume + "-and-9-more";
    profile.volume = volume;
    Make();
    EXPECT_EQ(Run({.args = {"-v", tooLong}, .argv0 = "updater", .cwd = "/"}), 255);
    EXPECT_TRUE(syslog.Contains("the volume path is too long for -v"));
    EXPECT_FALSE(Exists(volume + "/VorlUpgrade.tar.gz"));
    EXPECT_EQ(Progress(), "A:0:");
}

TEST_F(UpdateRun, ProgramNameWithoutDirectoryUsesTheVolume) {
    profile.volume = "/volume2";
    Make();
    // argv[0] without '/': the update directory is "upd@te" on the -v volume.
    EXPECT_EQ(Run({.args = {"-v", "/volume2"}, .argv0 = "updater", .cwd = "/"}), 0);
    EXPECT_TRUE(Exists("/volume2/VorlUpgrade.tar.gz"));
    EXPECT_TRUE(Holds(Flash(), 1, NewImage("zImage", 1536)));
}

TEST_F(UpdateRun, ShellTextInPathsIsNeverRun) {
    // A volume name with shell syntax reaches mv as one argument.
    profile.volume = "/vol;touch x";
    Make();
    EXPECT_EQ(Run({.args = {"-v", "/vol;touch x"}, .argv0 = "updater"}), 0);
    EXPECT_TRUE(Exists("/vol;touch x/VorlUpgrade.tar.gz"));
    EXPECT_FALSE(Exists("/vol"));
    EXPECT_FALSE(Exists("/x"));
}

}  // namespace
