// Times the phone-list load against the bare reading floor: the same file through zlib and
// expat with no handlers at all. The list is as large as the country: 27 states, 5,570
// cities, three numbers each, written plain and gzip-compressed.
//
//     bench_phonelist [rounds]
#include "support/TestFiles.h"
#include "settings/Log.h"
#include "settings/Xmlvyn.h"

#include "platform/SysUtils.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <expat.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>
#include <unistd.h>
#include <zlib.h>

namespace {
struct State {
    const char* sigla;
    const char* capital;
    int cities;
    std::vector<int> ddds;
};

// Municipalities per state and the state's area codes.
const std::vector<State> kStates = {
    {"AC", "Rio Branco", 22, {68}},
    {"AL", "Macei\xF3", 102, {82}},
    {"AM", "Manaus", 62, {92, 97}},
    {"AP", "Macap\xE1", 16, {96}},
    {"BA", "Salvador", 417, {71, 73, 74, 75, 77}},
    {"CE", "Fortaleza", 184, {85, 88}},
    {"DF", "Bras\xEDlia", 1, {61}},
    {"ES", "Vit\xF3ria", 78, {27, 28}},
    {"GO", "Goi\xE2nia", 246, {62, 64}},
    {"MA", "S\xE3o Lu\xEDs", 217, {98, 99}},
    {"MG", "Belo Horizonte", 853, {31, 32, 33, 34, 35, 37, 38}},
    {"MS", "Campo Grande", 79, {67}},
    {"MT", "Cuiab\xE1", 141, {65, 66}},
    {"PA", "Bel\xE9m", 144, {91, 93, 94}},
    {"PB", "Jo\xE3o Pessoa", 223, {83}},
    {"PE", "Recife", 185, {81, 87}},
    {"PI", "Teresina", 224, {86, 89}},
    {"PR", "Curitiba", 399, {41, 42, 43, 44, 45, 46}},
    {"RJ", "Rio de Janeiro", 92, {21, 22, 24}},
    {"RN", "Natal", 167, {84}},
    {"RO", "Porto Velho", 52, {69}},
    {"RR", "Boa Vista", 15, {95}},
    {"RS", "Porto Alegre", 497, {51, 53, 54, 55}},
    {"SC", "Florian\xF3polis", 295, {47, 48, 49}},
    {"SE", "Aracaju", 75, {79}},
    {"SP", "S\xE3o Paulo", 645, {11, 12, 13, 14, 15, 16, 17, 18, 19}},
    {"TO", "Palmas", 139, {63}},
};

const char* kFirst[] = {"S\xE3o ", "Santa ", "Santo ",   "Bom Jesus do ", "Nova ", "Porto ", "Campo ",       "Rio ",
                        "Serra ",  "Lagoa ", "Po\xE7o ", "Barra do ",     "Vila ", "Alto ",  "Ribeir\xE3o ", ""};
const char* kSecond[] = {"Ita", "Jacu", "Para", "Cara", "Gua",      "Tabo",
                         "Ara", "Ibi",  "Capi", "Uba",  "Jata\xED", "Ipo"};
const char* kThird[] = {"tinga",
                        "pu\xE3",
                        "\xED"
                        "ba",
                        "guari",
                        "rana",
                        "coara",
                        "bor\xE9",
                        "\xFA"
                        "na",
                        "piranga",
                        "t\xE9"};

std::string buildList() {
    std::mt19937 rng(1103);
    std::string xml = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<ESTADOS>\n";
    char line[256];
    int total = 0;
    for (const State& s : kStates) {
        std::snprintf(line, sizeof line, "<ESTADO sigla=\"%s\" capital=\"%s\">\n", s.sigla, s.capital);
        xml += line;
        for (int i = 0; i < s.cities; ++i, ++total) {
            std::string name = std::string(kFirst[rng() % 16]) + kSecond[rng() % 12] + kThird[rng() % 10];
            if (i % 7 == 3) name += " d'Oeste";
            std::snprintf(line, sizeof line, "<CIDADE nome=\"%s %d\" ddd=\"%d\">", name.c_str(), i,
                          s.ddds[rng() % s.ddds.size()]);
            xml += line;
            for (int t = 0; t < 3; ++t) {
                std::snprintf(line, sizeof line, "<TEL>3%03u%04u</TEL>", unsigned(rng() % 1000),
                              unsigned(rng() % 10000));
                xml += line;
            }
            xml += "</CIDADE>\n";
        }
        xml += "</ESTADO>\n";
    }
    xml += "</ESTADOS>\n";
    if (total != 5570) std::fprintf(stderr, "warning: %d cities\n", total);
    return xml;
}

std::string gzip(const std::string& data) { return GzipBytes(data, Z_DEFAULT_COMPRESSION); }

// The physical floor: gzread into the parser's buffer, parse, no handlers.
bool bareRead(const std::string& path) {
    gzFile f = gzopen(path.c_str(), "rb");
    if (!f) return false;
    XML_Parser p = XML_ParserCreate("ISO-8859-1");
    bool ok = false;
    for (;;) {
        void* buf = XML_GetBuffer(p, 65536);
        int n = buf ? gzread(f, buf, 65536) : -1;
        if (n < 0 || XML_ParseBuffer(p, n, n == 0) == XML_STATUS_ERROR) break;
        if (n == 0) {
            ok = true;
            break;
        }
    }
    XML_ParserFree(p);
    gzclose(f);
    return ok;
}

template <typename F>
double timeMs(F&& f) {
    auto t0 = std::chrono::steady_clock::now();
    if (!f()) {
        std::fprintf(stderr, "read failed\n");
        std::exit(1);
    }
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

struct Figures {
    double median, best;
};

Figures figures(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.front()};
}
}  // namespace

int main(int argc, char** argv) {
    int rounds = argc > 1 ? std::atoi(argv[1]) : 200;
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("vyn-bench-" + std::to_string(getpid()));
    fs::create_directories(dir);
    SetProgramFileName((dir / "Mirvane.exe").string());
    std::string xml = buildList();
    std::ofstream(dir / "tels", std::ios::binary) << xml;
    std::string packed = gzip(xml);
    std::ofstream(dir / "tels.gz", std::ios::binary) << packed;

    TLogger log;  // a list that loads says nothing
    std::printf("phone list: 27 states, 5570 cities, 3 numbers each; %zu bytes plain, %zu gzip\n", xml.size(),
                packed.size());
    // The two readings alternate round by round, so a busy machine weighs on both alike.
    std::printf("%-8s %10s %10s %7s %10s %10s %7s   (%d rounds)\n", "file", "Load med", "floor med", "ratio",
                "Load best", "floor best", "ratio", rounds);
    for (const char* name : {"tels", "tels.gz"}) {
        std::string path = (dir / name).string();
        bareRead(path);  // warm the page cache
        std::vector<double> load, floor;
        for (int i = 0; i < rounds; ++i) {
            floor.push_back(timeMs([&] { return bareRead(path); }));
            TXMLvyn list{TServices{.log = &log}};
            load.push_back(timeMs([&] { return list.Load(name); }));
        }
        Figures l = figures(load), f = figures(floor);
        std::printf("%-8s %10.2f %10.2f %7.2f %10.2f %10.2f %7.2f\n", name, l.median, f.median, l.median / f.median,
                    l.best, f.best, l.best / f.best);
    }
    if (!std::getenv("VYN_BENCH_KEEP")) fs::remove_all(dir);
}
