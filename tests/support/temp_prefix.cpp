#include "temp_prefix.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

TempPrefix::TempPrefix() {
    char folder[] = "/tmp/vandrel-test-XXXXXX";
    m_path = mkdtemp(folder);
    setenv("VANDREL_PREFIX", m_path.c_str(), 1);
}

TempPrefix::~TempPrefix() {
    unsetenv("VANDREL_PREFIX");
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

long long FileSize(const std::string& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    return error ? -1 : static_cast<long long>(size);
}
