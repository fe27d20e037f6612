#pragma once
// The shared objects the dynamic loader has mapped into this process, by path: a test
// program can check which libraries its code pulled in.
#include <string>
#include <vector>

std::vector<std::string> LoadedObjects();
// Those whose file name contains `part` ("libQt6").
std::vector<std::string> LoadedObjectsNamed(const std::string& part);
