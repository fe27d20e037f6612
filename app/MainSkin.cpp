#include "MainSkin.h"

namespace {
HRGN polygon(const std::vector<TPoint>& points) {
    return CreatePolygonRgn(points.data(), static_cast<int>(points.size()), ALTERNATE);
}
}  // namespace

TSkinRegions::TSkinRegions(const std::vector<TPoint>& outline, const std::vector<TZoneShape>& zones)
    : outline_(outline), shape_(polygon(outline)) {
    for (const TZoneShape& z : zones) zones_.emplace_back(z.zone, polygon(z.points));
}

TSkinRegions::~TSkinRegions() {
    DeleteObject(shape_);
    for (auto& z : zones_) DeleteObject(z.second);
}

TSkinZone TSkinRegions::ZoneAt(int x, int y) const {
    for (const auto& z : zones_)
        if (PtInRegion(z.second, x, y)) return z.first;
    return szNone;
}

HRGN TSkinRegions::NewWindowShape() const { return polygon(outline_); }

bool TSkinRegions::InOutline(int x, int y) const { return PtInRegion(shape_, x, y); }

const std::vector<TPoint>& CorvalaOutline() {
    static const std::vector<TPoint> points = {
        {94, 2},    {109, 4},   {122, 8},   {136, 15},  {148, 23},  {161, 25},  {170, 27},  {178, 29},  {191, 33},
        {204, 40},  {210, 44},  {213, 48},  {225, 50},  {236, 52},  {252, 55},  {266, 59},  {279, 63},  {295, 68},
        {313, 75},  {329, 79},  {356, 89},  {380, 99},  {397, 107}, {410, 113}, {423, 105}, {439, 114}, {458, 127},
        {474, 139}, {490, 153}, {499, 161}, {505, 183}, {509, 208}, {512, 230}, {513, 241}, {511, 255}, {505, 264},
        {488, 269}, {462, 273}, {435, 277}, {410, 280}, {383, 282}, {348, 284}, {314, 285}, {290, 286}, {252, 287},
        {225, 288}, {141, 288}, {117, 286}, {98, 285},  {83, 283},  {69, 273},  {66, 266},  {63, 260},  {61, 253},
        {58, 246},  {55, 238},  {53, 232},  {50, 222},  {45, 207},  {39, 188},  {35, 174},  {32, 160},  {27, 153},
        {20, 143},  {15, 136},  {11, 129},  {8, 123},   {6, 116},   {4, 107},   {3, 98},    {2, 91},    {3, 82},
        {5, 70},    {10, 56},   {18, 41},   {26, 30},   {39, 19},   {56, 9},    {74, 4},
    };
    return points;
}

const std::vector<TZoneShape>& CorvalaZones() {
    // In the order the release of a click tests them.
    static const std::vector<TZoneShape> zones = {
        {szInert,
         {{90, 27},
          {124, 39},
          {145, 63},
          {150, 101},
          {129, 133},
          {99, 145},
          {66, 141},
          {40, 121},
          {32, 95},
          {36, 59},
          {61, 35},
          {90, 26}}},
        {szMinimise, {{148, 20}, {180, 26}, {198, 35}, {207, 57}, {177, 57}}},
        {szMinimise, {{177, 58}, {183, 79}, {215, 75}, {207, 58}}},
        {szHelp, {{183, 80}, {183, 103}, {224, 96}, {215, 76}}},
        {szConnect, {{216, 255}, {374, 255}, {374, 280}, {216, 280}, {216, 255}}},
        {szOtherEdition, {{102, 242}, {209, 249}, {209, 288}, {102, 286}, {102, 242}}},
    };
    return zones;
}
