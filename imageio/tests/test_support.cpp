#include "test_support.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace ovtest {

TempDir::TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string tmpl = std::string(base && *base ? base : "/tmp") + "/ovio-test-XXXXXX";
    if (::mkdtemp(tmpl.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void writeFile(const std::string& path, const Bytes& data) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    if (!f) throw std::runtime_error("cannot write " + path);
}

Bytes readFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

bool fileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

Bytes randomPixels(size_t count, uint32_t seed) {
    std::mt19937 gen(seed);
    Bytes b(count);
    for (auto& v : b) v = static_cast<uint8_t>(gen() >> 24);
    return b;
}

Bytes prefixed(const std::string& name) {
    Bytes b(name.size() + 1);
    b[0] = static_cast<uint8_t>(name.size());
    std::copy(name.begin(), name.end(), b.begin() + 1);
    return b;
}

void put16(Bytes& b, size_t at, uint32_t v) {
    if (b.size() < at + 2) b.resize(at + 2);
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

void put32(Bytes& b, size_t at, uint32_t v) {
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}

uint32_t get16(const Bytes& b, size_t at) {
    return b.at(at) | (b.at(at + 1) << 8);
}
uint32_t get32(const Bytes& b, size_t at) {
    return get16(b, at) | (get16(b, at + 2) << 16);
}

Bytes TiffBuilder::build() const {
    Bytes b = {'I', 'I', 42, 0, 8, 0, 0, 0};
    put16(b, 8, static_cast<uint32_t>(entries.size()));
    size_t at = 10;
    for (const auto& e : entries) {
        put16(b, at, e.tag);
        put16(b, at + 2, e.type);
        put32(b, at + 4, e.count);
        put32(b, at + 8, e.value);
        at += 12;
    }
    put32(b, at, 0);
    b.insert(b.end(), extra.begin(), extra.end());
    return b;
}

Bytes greyTiff(int width, int height, const Bytes& pixels) {
    TiffBuilder t;
    t.add(256, 3, 1, width).add(257, 3, 1, height).add(258, 3, 1, 8).add(262, 3, 1, 1);
    t.add(273, 4, 1, 0).add(277, 3, 1, 1).add(279, 4, 1, static_cast<uint32_t>(pixels.size()));
    t.entries[4].value = t.extraOffset();
    t.extra = pixels;
    return t.build();
}

bool haveTool(const std::string& name) {
    return runCommand("command -v " + name + " >/dev/null 2>&1") == 0;
}

int runCommand(const std::string& command, std::string* output) {
    FILE* p = ::popen((command + " 2>&1").c_str(), "r");
    if (p == nullptr) return -1;
    std::string text;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) text.append(buf, n);
    const int rc = ::pclose(p);
    if (output) *output = text;
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

bool readNetpbm(const std::string& path, Netpbm& out) {
    const Bytes b = readFile(path);
    size_t pos = 0;
    auto token = [&]() -> std::string {
        std::string t;
        while (pos < b.size()) {
            if (b[pos] == '#') {
                while (pos < b.size() && b[pos] != '\n') ++pos;
            } else if (std::isspace(b[pos])) {
                ++pos;
            } else {
                break;
            }
        }
        while (pos < b.size() && !std::isspace(b[pos])) t.push_back(static_cast<char>(b[pos++]));
        return t;
    };
    const std::string magic = token();
    if (magic != "P5" && magic != "P6") return false;
    out.channels = magic == "P5" ? 1 : 3;
    out.width = std::atoi(token().c_str());
    out.height = std::atoi(token().c_str());
    if (std::atoi(token().c_str()) != 255) return false;
    ++pos;  // the single white space after maxval
    const size_t n = static_cast<size_t>(out.width) * out.height * out.channels;
    if (b.size() < pos + n) return false;
    out.pixels.assign(b.begin() + static_cast<long>(pos), b.begin() + static_cast<long>(pos + n));
    return true;
}

void writeNetpbm(const std::string& path, int width, int height, int channels, const Bytes& px) {
    const std::string head = (channels == 1 ? "P5\n" : "P6\n") + std::to_string(width) + " " +
                             std::to_string(height) + "\n255\n";
    Bytes b(head.begin(), head.end());
    b.insert(b.end(), px.begin(), px.end());
    writeFile(path, b);
}

ClipRect exactClip(int w, int h) {
    ClipRect c{};
    c.outWidth = static_cast<int16_t>(w);
    c.outHeight = static_cast<int16_t>(h);
    c.srcWidth = static_cast<int16_t>(w);
    c.srcHeight = static_cast<int16_t>(h);
    return c;
}

Bytes readClip(const std::string& name, uint16_t flags, ClipRect clip, int16_t* status,
               int pixelBytes) {
    const size_t w = clip.outWidth ? clip.outWidth : 256;
    const size_t h = clip.outHeight ? clip.outHeight : 255;
    Bytes out(w * h * pixelBytes, 0xEE);
    *status = OvReadClip(name.c_str(), out.data(), flags, &clip);
    return out;
}

}  // namespace ovtest
