// The appliance creator: makes a simulated appliance of a given profile -- the
// running system's version and settings, its disks, its flash, its kernel --
// and stages an update package in its update directory, so that the real
// `updater` can run in it (with the kernel shim preloaded).
//
// A profile is a list of key="value" settings (sim/README.md lists them); the
// creator fills in every setting a profile leaves out.
#pragma once

#include <stdint.h>

#include <map>
#include <string>
#include <vector>

namespace vorlsim {

struct ApplianceProfile {
    // The running system.
    std::string model = "vorlane_88f5281_1hd";  // key "unique"
    bool junior = false;                        // the model name then ends in "_junior"
    std::string major = "2", minor = "0", phase = "1";
    int build = 500;
    bool initrd = true;
    uint64_t uptime = 60;  // seconds
    bool raid = false;     // the system on /dev/md0, else on /dev/hda1
    int raidLevel = 1;
    int raidDisks = 2;
    std::string raidMembers = "sda1:in_sync sdb1:in_sync";  // name:state[:slot] ...
    bool raidKnown = true;         // false: the md driver answers ENODEV for md0
    uint64_t systemKib = 2000000;  // system partition or array size
    uint64_t hda3Start = 1000000;  // start sector of /dev/hda3 (legacy size rule)
    bool supportMtu = false;
    std::string eth0Mtu;            // key eth0_mtu of /etc/vorlinfo.conf; empty: none
    std::string flash = "redboot";  // redboot | msys
    uint32_t eraseSize = 0x10000;   // RedBoot layout
    std::string sys405 = "ok";      // driver buffer: ok | enosys | an errno number
    bool writeable = false;         // a /writeable directory (legacy models)
    uint64_t writeableFree = 64ull << 20;
    bool failMigration = false;  // the settings migration meets a file it cannot remove
    // Files of the old firmware that the settings migration removes.
    bool oldFiles = true;

    // The package.
    std::string packageModel;  // empty: the model
    std::string packageMajor = "2", packageMinor = "1", packagePhase = "0";
    int packageBuild = 900;
    std::string extractSize = "100000";  // KiB; empty: no key
    // Image files and their sizes in KiB ("zImage:1536 rd.bin:2560"); a size
    // of 0 takes the partition's room less one erase block.
    std::string images = "zImage:1536 rd.bin:2560";
    bool hda1Tgz = true;
    std::string volume = "/volume1";
    std::string packageDir = "upd@te";
    std::string updater;  // the updater binary to put into the package ("" none)

    // Kernel settings passed to the shim as they stand ("fault_write" etc.).
    std::map<std::string, std::string> kernel;
    // Settings of /etc/vorlinfo.conf and /etc.defaults/vorlinfo.conf to add.
    std::map<std::string, std::string> settings, defaultSettings;
};

// Sets one profile key from its text; false with a reason for an unknown key
// or a bad value.
bool SetProfileKey(ApplianceProfile *profile, const std::string &key, const std::string &value,
                   std::string *error);
// Reads key="value" lines ('#' comments) into the profile.
bool LoadProfile(const std::string &path, ApplianceProfile *profile, std::string *error);

// Makes the appliance in root ("" or "/": the root this process runs in) and
// stages the package. The root's /bin and /sbin become directories of their
// own (links to the host's programs) so that the appliance's stand-ins for
// sfdisk, get_key_value and mount can sit there.
bool CreateAppliance(const std::string &root, const ApplianceProfile &profile, std::string *error);

// The partition names of the flash rows, in plan order, of a variant.
std::vector<std::string> FlashRows(bool junior);
// Deterministic image bytes: the old contents of a partition and the new
// image of the package.
std::string OldContent(const std::string &partition, size_t size);
std::string NewImage(const std::string &file, int build, size_t size);

// Where the stand-in programs record their calls inside the appliance.
inline constexpr const char *kCallsLog = "/sim/calls.log";

}  // namespace vorlsim
