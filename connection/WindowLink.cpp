#include "WindowLink.h"

TWindowLink* WindowLink = nullptr;
