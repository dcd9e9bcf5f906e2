// Shared set-up of the bitmap display tests: a CD-ROM drive D: over the
// scratch folder, the splash file at D:\LAUNCH\Launcher.bmp, and the
// built-in bitmap taken from res/default.bmp.
#ifndef TESTS_DIB_FIXTURE_H
#define TESTS_DIB_FIXTURE_H

#include <fstream>
#include <sstream>
#include <string>

#include "bmp_writer.h"
#include "dib.h"
#include "sim_fixture.h"

class DibTest : public SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        sim::MapDrive('D', DRIVE_CDROM, Scratch());
    }

    static const char *Path() { return "D:\\LAUNCH\\Launcher.bmp"; }
    static HINSTANCE Instance() { return reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(0x400000)); }
    static HDC Dc() { return reinterpret_cast<HDC>(static_cast<uintptr_t>(0x5DC0)); }

    void PutFile(const std::string &bytes) { WriteFile("LAUNCH/Launcher.bmp", bytes); }

    HGLOBAL Read(const std::string &bytes, DibRefusal *why = nullptr) {
        PutFile(bytes);
        return OpenDibFileWithReason(Path(), why);
    }

    // The block's bytes (all GlobalSize of them); the block is freed.
    static std::string Take(HGLOBAL dib) {
        std::string out;
        if (!dib)
            return out;
        const char *p = static_cast<const char *>(GlobalLock(dib));
        if (p)
            out.assign(p, GlobalSize(dib));
        GlobalUnlock(dib);
        FreeDib(dib);
        return out;
    }

    static std::string DefaultBmpFile() {
        std::ifstream in(std::string(LAUNCHER_SOURCE_DIR) + "/res/default.bmp", std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    // The built-in bitmap as the resource compiler stores it: the file
    // without its 14-byte file header.
    static std::string DefaultPacked() { return DefaultBmpFile().substr(14); }
    static void LoadDefaultResource() { sim::SetResource("DEFAULT", RT_BITMAP, DefaultPacked()); }
};

#endif
