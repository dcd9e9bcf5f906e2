// Benchmark (not a test): the cost of one splash repaint, PaintBitmap's
// OpenDibFile + DrawDib with the simulated GDI copying the pixels, as a ratio
// to reading the same file into memory once through the same file calls.
// Times are medians of alternating rounds measured in this one run.
// Usage: dib_bench [rounds]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bmp_writer.h"
#include "dib.h"
#include "sim.h"

namespace {

typedef std::chrono::steady_clock Clock;

const HDC kDc = reinterpret_cast<HDC>(static_cast<uintptr_t>(0x5DC0));
const HINSTANCE kInstance = reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(0x400000));

std::string g_folder;

void Machine() {
    sim::Reset();
    sim::MapDrive('D', DRIVE_CDROM, g_folder);
    sim::KeepDrawnPixels(false);
}

// The floor: the whole file in one read into a buffer made beforehand.
void ReadOnce(const char *path, std::vector<char> &buffer) {
    HANDLE f = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    DWORD got = 0;
    if (f == INVALID_HANDLE_VALUE || !ReadFile(f, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) ||
        got != buffer.size()) {
        std::fprintf(stderr, "cannot read %s\n", path);
        std::exit(1);
    }
    CloseHandle(f);
}

void Repaint(const char *path) { PaintBitmap(kDc, kInstance, path, 0, 0, FALSE); }

void OpenOnly(const char *path) {
    HGLOBAL dib = OpenDibFile(path);
    if (!dib) {
        std::fprintf(stderr, "cannot open %s\n", path);
        std::exit(1);
    }
    FreeDib(dib);
}

template <class F> double Seconds(F f, int reps) {
    Clock::time_point t0 = Clock::now();
    for (int i = 0; i < reps; ++i)
        f();
    return std::chrono::duration<double>(Clock::now() - t0).count() / reps;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void Measure(const char *label, const char *path, size_t fileSize, int rounds) {
    std::vector<char> buffer(fileSize);
    std::vector<double> floor, repaint, open;
    const int reps = 20;
    for (int r = 0; r < rounds; ++r) {
        Machine();
        floor.push_back(Seconds([&] { ReadOnce(path, buffer); }, reps));
        Machine();
        repaint.push_back(Seconds([&] { Repaint(path); }, reps));
        Machine();
        open.push_back(Seconds([&] { OpenOnly(path); }, reps));
    }
    Machine();
    Repaint(path);
    if (sim::DibDraws().size() != 1) {
        std::fprintf(stderr, "%s was not drawn from the file\n", label);
        std::exit(1);
    }
    double f = Median(floor), p = Median(repaint), o = Median(open);
    std::printf("%-22s %9zu bytes  read once %8.1f us  repaint %8.1f us (x%.2f)  OpenDibFile alone %8.1f us (x%.2f)\n",
                label, fileSize, f * 1e6, p * 1e6, p / f, o * 1e6, o / f);
}

std::string WriteBitmap(const char *name, uint16_t bits, int32_t width, int32_t height) {
    bmp::Bitmap s = bmp::Simple(bits, width, height);
    std::string bytes = bmp::File(s);
    std::string host = g_folder + "/" + name;
    FILE *f = std::fopen(host.c_str(), "wb");
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", host.c_str());
        std::exit(1);
    }
    std::fclose(f);
    return bytes;
}

} // namespace

int main(int argc, char **argv) {
    int rounds = argc > 1 ? std::atoi(argv[1]) : 15;
    if (rounds < 1)
        rounds = 1;
    char templ[] = "/tmp/dib-bench-XXXXXX";
    if (!mkdtemp(templ)) {
        std::perror("mkdtemp");
        return 1;
    }
    g_folder = templ;
    std::string small = WriteBitmap("small.bmp", 8, 640, 480);
    std::string large = WriteBitmap("large.bmp", 24, 1024, 768);
    std::printf("One repaint (OpenDibFile + DrawDib) against reading the file into memory once;\n"
                "medians of %d alternating rounds of 20 calls each.\n",
                rounds);
    Measure("640 x 480, 8-bit", "D:\\small.bmp", small.size(), rounds);
    Measure("1024 x 768, 24-bit", "D:\\large.bmp", large.size(), rounds);
    std::remove((g_folder + "/small.bmp").c_str());
    std::remove((g_folder + "/large.bmp").c_str());
    std::remove(g_folder.c_str());
    return 0;
}
