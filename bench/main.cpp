// The paint benchmark. For every case: first the checks that the three
// figures measure the same work (the plug-in paints the same through the
// host and the lean path, drawOffscreen what draw does, the floor exactly the
// plug-in's pixels, the peer something; no GDI object or lock is left), then
// the plug-in, its peer and its floor timed side by side, interleaved, in
// several rounds. Classic cases run in one copy of the plug-in, themed ones in
// a second copy that is told it runs on Windows XP.
//
//   bench [--quick] [--rounds N] [--block-us N] [--csv FILE] [--text FILE] [--only TEXT]
//         [--pictures FOLDER] [--runner TEXT]
//
// --pictures writes, for every case, the checked paints side by side as
// <FOLDER>/<case>.png: the plug-in's, the floor's and the peer's.
// A failed check is printed and the run exits with status 1.
#include <cpuid.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench.h"
#include "lean_paint.h"
#include "png/png.h"

namespace {

using bench::Case;
using bench::Look;
using bench::Work;
using pluginhost::Host;
using pluginhost::Instance;
using pluginhost::LeanPainter;

// What every surface holds before a checked paint, and what a peer's holds
// so that its paint shows.
constexpr COLORREF kBackdrop = RGB(0x36, 0x6A, 0x9C);
constexpr COLORREF kPeerSentinel = RGB(0xFF, 0x00, 0xFF);
constexpr uint32_t kColourMask = 0x00FFFFFF;
constexpr int kDifferencesShown = 4;

struct Options {
    bool quick = false;
    int rounds = 15;
    double blockMicroseconds = 2000;  // each timed block lasts at least this long
    int costCalls = 5000;             // per round of an entry point's timing
    int costRounds = 5;
    int maxRepeats = 1 << 16;
    std::string csv;
    std::string text;
    std::string only;
    std::string pictures;
    // How this program runs on the machine, when not natively: under an
    // emulator the microseconds do not compare with native figures, though
    // the ratios to the peer and the floor still hold.
    std::string runner;
};

constexpr int kQuickRounds = 3;
constexpr double kQuickBlockMicroseconds = 50;
constexpr int kQuickCostCalls = 200;
constexpr int kQuickCostRounds = 2;

const char* architecture() { return sizeof(void*) == 4 ? "i686" : "x86_64"; }

// --- time -------------------------------------------------------------------------------

double secondsPerTick() {
    static double seconds = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return 1.0 / static_cast<double>(frequency.QuadPart);
    }();
    return seconds;
}

int64_t now() {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

double microsecondsSince(int64_t start) { return double(now() - start) * secondsPerTick() * 1e6; }

// --- pixels -----------------------------------------------------------------------------

struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> p;
};

Pixels pixelsOf(const uint32_t* rows, int stride, int left, int top, int width, int height) {
    Pixels out{width, height, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) out.p.push_back(rows[size_t(top + y) * stride + left + x] & kColourMask);
    return out;
}

Pixels pixelsOf(const bench::Dib& dib) {
    Pixels out{dib.width(), dib.height(), {}};
    for (int y = 0; y < dib.height(); ++y)
        for (int x = 0; x < dib.width(); ++x) out.p.push_back(dib.pixel(x, y));
    return out;
}

// Empty when the two are the same; else how many pixels differ and where.
std::string difference(const Pixels& a, const Pixels& b) {
    if (a.width != b.width || a.height != b.height) return "sizes differ";
    int count = 0;
    std::string shown;
    for (int y = 0; y < a.height; ++y) {
        for (int x = 0; x < a.width; ++x) {
            const uint32_t pa = a.p[size_t(y) * a.width + x], pb = b.p[size_t(y) * b.width + x];
            if (pa == pb) continue;
            if (++count <= kDifferencesShown) {
                char text[64];
                std::snprintf(text, sizeof text, " (%d,%d) %06X/%06X", x, y, unsigned(pa), unsigned(pb));
                shown += text;
            }
        }
    }
    if (count == 0) return std::string();
    return std::to_string(count) + " pixels differ, first:" + shown;
}

constexpr int kPictureZoom = 4;
constexpr int kPictureGap = 2;
constexpr uint32_t kPictureGapColour = 0x00FFFFFF;

// The paints side by side, every pixel kPictureZoom wide.
bool writePictures(const std::string& folder, const std::string& name, const std::vector<const Pixels*>& panels) {
    const int w = panels.front()->width, h = panels.front()->height;
    const int n = static_cast<int>(panels.size());
    const int width = (n * w + (n - 1) * kPictureGap) * kPictureZoom, height = h * kPictureZoom;
    std::vector<uint32_t> image(size_t(width) * height, kPictureGapColour);
    for (int k = 0; k < n; ++k)
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < w * kPictureZoom; ++x)
                image[size_t(y) * width + k * (w + kPictureGap) * kPictureZoom + x] =
                    panels[k]->p[size_t(y / kPictureZoom) * w + x / kPictureZoom];
    std::string file = name;
    for (char& ch : file)
        if (ch == ' ') ch = '-';
    return pluginhost::writePng(folder + "/" + file + ".png", image.data(), width, height);
}

// --- results ----------------------------------------------------------------------------

struct Figure {
    std::vector<double> us;  // per call, one per round
    double min() const { return us.empty() ? NAN : *std::min_element(us.begin(), us.end()); }
    double median() const {
        if (us.empty()) return NAN;
        std::vector<double> s = us;
        std::sort(s.begin(), s.end());
        return s.size() % 2 ? s[s.size() / 2] : (s[s.size() / 2 - 1] + s[s.size() / 2]) / 2;
    }
};

struct Result {
    const Case* c = nullptr;
    Figure draw, offscreen, peer, floor;
    int entryCalls = 0;
    double hostNs = 0;
    bool hostUntimed = false;  // an entry point the lean path does not time was called
};

struct Run {
    Host& host;
    LeanPainter& lean;
    const Options& options;
    std::vector<std::string> failures;
    std::vector<Result> results;

    void fail(const Case& c, const std::string& what) {
        failures.push_back(c.name + ": " + what);
        std::fprintf(stderr, "FAIL %s: %s\n", c.name.c_str(), what.c_str());
    }
    void expectSame(const Case& c, const char* what, const Pixels& a, const Pixels& b) {
        const std::string d = difference(a, b);
        if (!d.empty()) fail(c, std::string(what) + ": " + d);
    }
    void expectNoNewFaults(const Case& c, size_t before) {
        const std::vector<std::string> faults = host.faults();
        for (size_t i = before; i < faults.size(); ++i) fail(c, "host: " + faults[i]);
    }

    void runCase(const Case& c);
    Pixels hostPaint(Instance* instance, bool offscreen, bool idle);
    void time(const Case& c, bench::Painter& floor, bench::Painter& peer, Result& result);
};

Pixels Run::hostPaint(Instance* instance, bool offscreen, bool idle) {
    host.fillImage(kBackdrop);
    if (idle)
        host.idle(instance);
    else if (offscreen)
        host.drawOffscreen(instance);
    else
        host.draw(instance);
    const HostRect& b = instance->bounds;
    return pixelsOf(host.imageBits(), Host::kWindowWidth, b.left, b.top, b.right - b.left, b.bottom - b.top);
}

void Run::runCase(const Case& c) {
    const size_t faultsBefore = host.faults().size();
    Instance* instance =
        host.create(c.className, bench::kLeft, bench::kTop, bench::kLeft + c.width, bench::kTop + c.height);
    if (!instance) {
        fail(c, "no instance of " + c.className);
        return;
    }
    if (c.setup) c.setup(host, instance);
    const bool idle = c.work == Work::kIdleStep;

    // Through the whole host, which checks GDI objects, locks and the device
    // context at every callback.
    const Pixels hostPixels = hostPaint(instance, false, idle);
    if (!idle) expectSame(c, "drawOffscreen against draw (host)", hostPaint(instance, true, false), hostPixels);
    if (host.gdiLive() != 0) fail(c, std::to_string(host.gdiLive()) + " GDI objects left after the host's paints");
    expectNoNewFaults(c, faultsBefore);

    bench::CaseContext context{host, instance, host.topWindow()};
    std::unique_ptr<bench::Painter> floor = c.floor(context);
    std::unique_ptr<bench::Painter> peer = c.peer(context);

    Result result;
    result.c = &c;
    if (!lean.begin(instance)) {
        fail(c, "the lean path could not make its surfaces");
    } else {
        const int w = lean.controlWidth(), h = lean.controlHeight();
        lean.fill(kBackdrop);
        lean.draw();
        Pixels leanPixels = pixelsOf(lean.controlPixels(), w, 0, 0, w, h);
        expectSame(c, idle ? "lean draw against the host's idle" : "lean draw against the host's draw", leanPixels,
                   hostPixels);
        lean.resetCounts();
        lean.fill(kBackdrop);
        if (idle) {
            lean.idle();
            leanPixels = pixelsOf(lean.controlPixels(), w, 0, 0, w, h);
        } else {
            lean.drawOffscreen();
            expectSame(c, "lean drawOffscreen against draw",
                       pixelsOf(lean.offscreenPixels(), Host::kWindowWidth, bench::kLeft, bench::kTop, w, h),
                       leanPixels);
        }
        if (lean.lentLocks() != 0) fail(c, std::to_string(lean.lentLocks()) + " lean locks not given back");
        // The counts of one paint: drawOffscreen calls what draw calls.
        result.entryCalls = lean.totalCalls();
        const std::array<double, kHostEntryPointCount> costs = lean.callCosts(options.costCalls, options.costRounds);
        for (int e = 0; e < kHostEntryPointCount; ++e) {
            const int calls = lean.calls(static_cast<HostEntryPoint>(e));
            if (calls == 0) continue;
            if (costs[e] < 0)
                result.hostUntimed = true;
            else
                result.hostNs += calls * costs[e];
        }

        bench::Dib floorSurface(w, h);
        SetWindowOrgEx(floorSurface.dc(), bench::kLeft, bench::kTop, nullptr);
        floorSurface.fill(kBackdrop);
        floor->paint(floorSurface.dc());
        expectSame(c, "floor against the plug-in", pixelsOf(floorSurface), leanPixels);

        bench::Dib peerSurface(w, h);
        peerSurface.fill(kPeerSentinel);
        peer->paint(peerSurface.dc());
        peerSurface.fill(kPeerSentinel);
        peer->show(peerSurface.dc());
        const Pixels peerPixels = pixelsOf(peerSurface);
        const bool painted = std::any_of(peerPixels.p.begin(), peerPixels.p.end(),
                                         [](uint32_t p) { return p != pluginhost::imageColour(kPeerSentinel); });
        if (!painted) fail(c, "the peer (" + c.peerName + ") painted nothing");
        const Pixels floorPixels = pixelsOf(floorSurface);
        if (!options.pictures.empty() &&
            !writePictures(options.pictures, c.name, {&leanPixels, &floorPixels, &peerPixels}))
            fail(c, "cannot write its picture in " + options.pictures);

        time(c, *floor, *peer, result);
        lean.end();
    }
    peer.reset();
    floor.reset();
    host.destroy(instance);
    if (host.gdiLive() != 0) fail(c, std::to_string(host.gdiLive()) + " GDI objects left");
    expectNoNewFaults(c, faultsBefore);
    results.push_back(result);
}

// Times each figure in blocks of calls long enough to measure; the figures
// take turns within every round, starting with a different one each round.
void Run::time(const Case& c, bench::Painter& floor, bench::Painter& peer, Result& result) {
    const int w = lean.controlWidth(), h = lean.controlHeight();
    bench::Dib floorSurface(w, h);
    SetWindowOrgEx(floorSurface.dc(), bench::kLeft, bench::kTop, nullptr);
    bench::Dib peerSurface(w, h);
    struct Timed {
        Figure* figure;
        std::function<void()> once;
        int repeats;
    };
    std::vector<Timed> timed;
    if (c.work == Work::kIdleStep) {
        timed.push_back({&result.draw, [&] { lean.idle(); }, 1});
    } else {
        timed.push_back({&result.draw, [&] { lean.draw(); }, 1});
        timed.push_back({&result.offscreen, [&] { lean.drawOffscreen(); }, 1});
    }
    timed.push_back({&result.peer, [&] { peer.paint(peerSurface.dc()); }, 1});
    timed.push_back({&result.floor, [&] { floor.paint(floorSurface.dc()); }, 1});

    for (Timed& t : timed) {
        t.once();  // warm
        for (;;) {
            const int64_t start = now();
            for (int i = 0; i < t.repeats; ++i) t.once();
            GdiFlush();
            if (microsecondsSince(start) >= options.blockMicroseconds || t.repeats >= options.maxRepeats) break;
            t.repeats *= 2;
        }
    }
    for (int round = 0; round < options.rounds; ++round) {
        for (size_t k = 0; k < timed.size(); ++k) {
            Timed& t = timed[(k + size_t(round)) % timed.size()];
            const int64_t start = now();
            for (int i = 0; i < t.repeats; ++i) t.once();
            GdiFlush();
            t.figure->us.push_back(microsecondsSince(start) / t.repeats);
        }
    }
}

// --- output -----------------------------------------------------------------------------

std::string machine() {
    unsigned words[12] = {};
    unsigned highest = __get_cpuid_max(0x80000000, nullptr);
    std::string cpu = "unknown processor";
    if (highest >= 0x80000004) {
        for (unsigned i = 0; i < 3; ++i)
            __get_cpuid(0x80000002 + i, &words[4 * i], &words[4 * i + 1], &words[4 * i + 2], &words[4 * i + 3]);
        cpu.assign(reinterpret_cast<const char*>(words), sizeof words);
        cpu.resize(std::strlen(cpu.c_str()));
        cpu.erase(0, cpu.find_first_not_of(' '));
    }
    SYSTEM_INFO system;
    GetNativeSystemInfo(&system);
    std::string text = cpu + ", " + std::to_string(system.dwNumberOfProcessors) + " processors";
    using WineVersion = const char*(CDECL*)();
    auto wine = reinterpret_cast<WineVersion>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version")));
    if (wine) text += ", Wine " + std::string(wine());
    return text;
}

std::string today() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    char text[16];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u", t.wYear, t.wMonth, t.wDay);
    return text;
}

std::string us(double value) {
    if (std::isnan(value)) return "-";
    char text[32];
    std::snprintf(text, sizeof text, value < 10 ? "%.2f" : "%.1f", value);
    return text;
}

std::string ratio(double a, double b) {
    if (std::isnan(a) || std::isnan(b) || b <= 0) return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", a / b);
    return text;
}

std::string table(const std::vector<Result>& results, const Options& options) {
    std::string out;
    char line[512];
    std::snprintf(line, sizeof line,
                  "Paint benchmark, %s DLL, %s, %s; microseconds per paint, min and median of %d %s\n", architecture(),
                  today().c_str(), machine().c_str(), options.rounds,
                  options.quick ? "rounds (quick run: figures are rough)" : "rounds");
    out += line;
    if (!options.runner.empty())
        out += "Run " + options.runner + ": compare the ratios; the microseconds do not compare with native runs.\n";
    std::snprintf(line, sizeof line, "%-30s %15s %15s %15s %15s %6s %6s %5s %7s  %s\n", "case", "draw", "drawOffscreen",
                  "peer", "floor", "/peer", "/floor", "calls", "host ns", "peer");
    out += line;
    std::snprintf(line, sizeof line, "%-30s %7s %7s %7s %7s %7s %7s %7s %7s\n", "", "min", "med", "min", "med", "min",
                  "med", "min", "med");
    out += line;
    for (const Result& r : results) {
        std::snprintf(line, sizeof line, "%-30s %7s %7s %7s %7s %7s %7s %7s %7s %6s %6s %5d %6.0f%s  %s\n",
                      r.c->name.c_str(), us(r.draw.min()).c_str(), us(r.draw.median()).c_str(),
                      us(r.offscreen.min()).c_str(), us(r.offscreen.median()).c_str(), us(r.peer.min()).c_str(),
                      us(r.peer.median()).c_str(), us(r.floor.min()).c_str(), us(r.floor.median()).c_str(),
                      ratio(r.draw.min(), r.peer.min()).c_str(), ratio(r.draw.min(), r.floor.min()).c_str(),
                      r.entryCalls, r.hostNs, r.hostUntimed ? "+" : " ", r.c->peerName.c_str());
        out += line;
    }
    out +=
        "draw: the plug-in's draw (idle for an idle step) through the host's lean path; peer: the standard control;\n"
        "floor: the plug-in's GDI calls issued directly; ratios of the minimums; calls: host entry points per paint,\n"
        "host ns: their lean cost in all (+: some untimed).\n";
    return out;
}

std::string csvField(const std::string& s) { return "\"" + s + "\""; }

std::string csv(const std::vector<Result>& results, const Options& options) {
    std::string out =
        "architecture,case,look,work,peer,draw_min_us,draw_median_us,offscreen_min_us,offscreen_median_us,"
        "peer_min_us,peer_median_us,floor_min_us,floor_median_us,plugin_over_peer,plugin_over_floor,"
        "entry_calls,host_ns,runner\n";
    const std::string runner = csvField(options.runner.empty() ? "native" : options.runner);
    for (const Result& r : results) {
        char line[512];
        auto n = [](double v) {
            char text[32];
            std::snprintf(text, sizeof text, "%.3f", v);
            return std::isnan(v) ? std::string() : std::string(text);
        };
        std::snprintf(line, sizeof line, "%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%d,%.0f,%s\n", architecture(),
                      csvField(r.c->name).c_str(), r.c->look == Look::kThemed ? "themed" : "classic",
                      r.c->work == Work::kIdleStep ? "idle" : "paint", csvField(r.c->peerName).c_str(),
                      n(r.draw.min()).c_str(), n(r.draw.median()).c_str(), n(r.offscreen.min()).c_str(),
                      n(r.offscreen.median()).c_str(), n(r.peer.min()).c_str(), n(r.peer.median()).c_str(),
                      n(r.floor.min()).c_str(), n(r.floor.median()).c_str(), ratio(r.draw.min(), r.peer.min()).c_str(),
                      ratio(r.draw.min(), r.floor.min()).c_str(), r.entryCalls, r.hostNs, runner.c_str());
        out += line;
    }
    return out;
}

bool writeFile(const std::string& path, const std::string& text) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
}

int usage() {
    std::fprintf(stderr,
                 "usage: bench [--quick] [--rounds N] [--block-us N] [--csv FILE] [--text FILE] [--only TEXT]\n"
                 "             [--pictures FOLDER] [--runner TEXT]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool more = i + 1 < argc;
        if (arg == "--quick") {
            options.quick = true;
            options.rounds = kQuickRounds;
            options.blockMicroseconds = kQuickBlockMicroseconds;
            options.costCalls = kQuickCostCalls;
            options.costRounds = kQuickCostRounds;
        } else if (arg == "--rounds" && more) {
            options.rounds = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--block-us" && more) {
            options.blockMicroseconds = std::max(1.0, std::atof(argv[++i]));
        } else if (arg == "--csv" && more) {
            options.csv = argv[++i];
        } else if (arg == "--text" && more) {
            options.text = argv[++i];
        } else if (arg == "--only" && more) {
            options.only = argv[++i];
        } else if (arg == "--pictures" && more) {
            options.pictures = argv[++i];
        } else if (arg == "--runner" && more) {
            options.runner = argv[++i];
        } else {
            return usage();
        }
    }

    const std::vector<Case> cases = bench::allCases();
    Host host;
    // Before the plug-in is loaded: it keeps the entry points it is first given.
    LeanPainter lean(host);
    Run run{host, lean, options, {}, {}};
    const std::string plugin = pluginhost::besideProgram("ClassicControls.dll");
    for (Look look : {Look::kClassic, Look::kThemed}) {
        // A fresh copy of the plug-in for each look: the version answer is
        // kept per copy.
        if (!host.load(plugin)) {
            std::fprintf(stderr, "bench: %s\n", host.lastError().c_str());
            return 1;
        }
        std::unique_ptr<pluginhost::ImportHook> version;
        if (look == Look::kThemed) {
            version = pluginhost::answerVersionAsWindowsXP(host.module());
            if (!version->installed()) {
                std::fprintf(stderr, "bench: cannot answer the plug-in's version query\n");
                return 1;
            }
        }
        for (const Case& c : cases) {
            if (c.look != look) continue;
            if (!options.only.empty() && c.name.find(options.only) == std::string::npos) continue;
            run.runCase(c);
        }
        // The hook goes while its module is still there.
        version.reset();
    }
    for (const std::string& fault : host.finish()) run.failures.push_back("host: " + fault);

    // Back in the order of the case list, classic and themed together.
    std::vector<Result> ordered;
    for (const Case& c : cases)
        for (const Result& r : run.results)
            if (r.c == &c) ordered.push_back(r);
    const std::string text = table(ordered, options);
    std::fputs(text.c_str(), stdout);
    if (!options.text.empty() && !writeFile(options.text, text)) {
        std::fprintf(stderr, "bench: cannot write %s\n", options.text.c_str());
        return 1;
    }
    if (!options.csv.empty() && !writeFile(options.csv, csv(ordered, options))) {
        std::fprintf(stderr, "bench: cannot write %s\n", options.csv.c_str());
        return 1;
    }
    if (!run.failures.empty()) {
        std::fprintf(stderr, "bench: %zu checks failed\n", run.failures.size());
        return 1;
    }
    return 0;
}
