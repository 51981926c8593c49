// Builds a resource pack of RT_RCDATA resources from files:
//
//   kvarlop_respack OUTPUT [ID=FILE ...]
//
// Writes to a temporary file next to OUTPUT and renames it, so a failed run
// never leaves a half-written pack behind. Exit code 0 on success, 1 with a
// message on standard error otherwise.
#include "platform/kernel32/resource_pack.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace {

constexpr uint16_t kRcData = 10;

std::vector<unsigned char> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot open " + path);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
    if (in.bad())
        throw std::runtime_error("cannot read " + path);
    return bytes;
}

uint16_t ParseId(const std::string& text)
{
    if (text.empty() || text.size() > 5 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        throw std::runtime_error("not a resource number: '" + text + "'");
    unsigned long value = std::strtoul(text.c_str(), nullptr, 10);
    if (value > 0xFFFF)
        throw std::runtime_error("resource number above 65535: " + text);
    return static_cast<uint16_t>(value);
}

void WriteFile(const std::string& path, const std::vector<unsigned char>& bytes)
{
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out)
            throw std::runtime_error("cannot create " + temporary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::remove(temporary.c_str());
            throw std::runtime_error("cannot write " + temporary);
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        throw std::runtime_error("cannot replace " + path);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::cerr << "usage: kvarlop_respack OUTPUT [ID=FILE ...]\n";
        return 1;
    }
    try {
        std::vector<platform::ResourcePackItem> items;
        for (int i = 2; i < argc; ++i) {
            std::string argument = argv[i];
            size_t equals = argument.find('=');
            if (equals == std::string::npos)
                throw std::runtime_error("expected ID=FILE: " + argument);
            items.push_back({kRcData, ParseId(argument.substr(0, equals)),
                             ReadFile(argument.substr(equals + 1))});
        }
        WriteFile(argv[1], platform::BuildResourcePack(items));
    } catch (const std::exception& e) {
        std::cerr << "kvarlop_respack: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
