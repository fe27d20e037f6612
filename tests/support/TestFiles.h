#pragma once
// Small file helpers the tests share.
#include <string>

// The whole file as bytes; "" when it cannot be read.
std::string ReadFileBytes(const std::string& path);
// `data` as one gzip member.
std::string GzipBytes(const std::string& data, int level = 9);
