// The simulated machine the launcher's code is run on: the disc, the fixed
// disks and the registry.
#include "disccheck_internal.h"

#include <windows.h>

#include <string>

#include "sim.h"

namespace disccheck {

std::string ModulePath(const Machine &m) {
    std::string path = std::string(1, m.disc) + ":\\";
    if (!m.folder.empty())
        path += m.folder + "\\";
    return path + "launcher.exe";
}

// A fresh simulated machine: the disc, the fixed disks and the registry.
void SetUp(const Machine &m) {
    ResetMachine();
    if (m.codepage)
        sim::SetCodePage(m.codepage);
    // No section names language 0 (nor its main form, 0x0400), so without
    // --language the launcher shows [Texts], whatever sections the disc has.
    sim::SetUILanguage(static_cast<LANGID>(m.language));
    sim::MapDrive(m.disc, DRIVE_CDROM, m.root);
    for (const auto &d : m.drives)
        sim::MapDrive(d.first, DRIVE_FIXED, d.second);
    sim::SetModulePath(ModulePath(m));
    for (int view = 0; view < 2; ++view) {
        for (const auto &k : m.registry.keys[view]) {
            sim::AddRegKey(k.second.path, static_cast<sim::View>(view));
            for (const auto &v : k.second.values)
                sim::SetRegValue(k.second.path, v.second.name, v.second.data, v.second.type,
                                 static_cast<sim::View>(view));
        }
    }
}

} // namespace disccheck
