#include "region_data.h"

#include <array>

namespace zylcarto::demo {
namespace {

constexpr std::array<TGeoPoint, 40> Coast{{
    {58.0000, -9.9678},  {58.0605, -10.0118}, {58.1036, -10.1749}, {58.1585, -10.1946}, {58.2134, -10.2399},
    {58.2396, -10.3798}, {58.2541, -10.5221}, {58.2846, -10.6246}, {58.3232, -10.7282}, {58.3296, -10.8649},
    {58.2995, -11.0000}, {58.2783, -11.1141}, {58.2908, -11.2445}, {58.3065, -11.4041}, {58.2953, -11.5553},
    {58.2676, -11.6926}, {58.2362, -11.8415}, {58.1882, -11.9559}, {58.1182, -11.9418}, {58.0501, -11.8189},
    {58.0000, -11.7276}, {57.9551, -11.7339}, {57.9053, -11.7546}, {57.8587, -11.7177}, {57.8142, -11.6620},
    {57.7588, -11.6243}, {57.7040, -11.5566}, {57.6788, -11.4237}, {57.6765, -11.2720}, {57.6580, -11.1402},
    {57.6195, -11.0000}, {57.6067, -10.8388}, {57.6441, -10.7007}, {57.7006, -10.6051}, {57.7452, -10.5208},
    {57.7867, -10.4480}, {57.8365, -10.4177}, {57.8795, -10.3878}, {57.9081, -10.2680}, {57.9437, -10.0806},
}};

constexpr std::array<TGeoPoint, 10> LochArdan{{
    {58.0820, -11.2900},
    {58.0900, -11.2550},
    {58.0880, -11.2150},
    {58.0790, -11.1900},
    {58.0690, -11.2000},
    {58.0640, -11.2300},
    {58.0600, -11.2600},
    {58.0630, -11.2900},
    {58.0700, -11.3050},
    {58.0770, -11.3020},
}};

constexpr std::array<TGeoPoint, 7> RiverZyl{{
    {58.1350, -11.0600},
    {58.1150, -10.9300},
    {58.0950, -10.8000},
    {58.0820, -10.6400},
    {58.0650, -10.4500},
    {58.0520, -10.2700},
    {58.0450, -10.1300},
}};
constexpr std::array<TGeoPoint, 5> RiverKell{{
    {57.9600, -11.0200},
    {57.8800, -10.9500},
    {57.8000, -10.8600},
    {57.7300, -10.7900},
    {57.6600, -10.7600},
}};
constexpr std::array<TGeoPoint, 5> RiverBrann{{
    {58.1150, -10.9100},
    {58.1600, -10.8200},
    {58.2000, -10.7500},
    {58.2400, -10.7000},
    {58.2700, -10.6800},
}};
constexpr std::array<TGeoPoint, 4> RiverArdan{{
    {58.0640, -11.2300},
    {58.0200, -11.1500},
    {57.9800, -11.0700},
    {57.9600, -11.0200},
}};
constexpr std::array<TPolyline, 4> Rivers{{
    {"River Zyl", RiverZyl},
    {"Kell Water", RiverKell},
    {"Brann", RiverBrann},
    {"Ardan Burn", RiverArdan},
}};

constexpr std::array<TGeoPoint, 3> RoadSouth{{{58.0400, -10.1200}, {57.9500, -10.5500}, {57.6600, -10.7600}}};
constexpr std::array<TGeoPoint, 3> RoadNorth{{{58.0400, -10.1200}, {58.1600, -10.4200}, {58.2700, -10.6800}}};
constexpr std::array<TGeoPoint, 4> RoadWest{{
    {57.9500, -10.5500},
    {57.8800, -11.3000},
    {58.0300, -11.3300},
    {58.1500, -11.8800},
}};
constexpr std::array<TGeoPoint, 2> RoadFennick{{{57.8800, -11.3000}, {57.7900, -11.6000}}};
constexpr std::array<TPolyline, 4> Roads{{
    {"A1", RoadSouth},
    {"A2", RoadNorth},
    {"A3", RoadWest},
    {"B31", RoadFennick},
}};

// A rough street plan of Port Zyl: a harbour front, a high street and cross streets.
constexpr std::array<TGeoPoint, 3> Harbour{{{58.0330, -10.1000}, {58.0420, -10.1050}, {58.0520, -10.1150}}};
constexpr std::array<TGeoPoint, 3> HighStreet{{{58.0330, -10.1350}, {58.0400, -10.1200}, {58.0480, -10.1050}}};
constexpr std::array<TGeoPoint, 2> Cross1{{{58.0450, -10.1400}, {58.0360, -10.1050}}};
constexpr std::array<TGeoPoint, 2> Cross2{{{58.0500, -10.1300}, {58.0420, -10.1000}}};
constexpr std::array<TGeoPoint, 2> Cross3{{{58.0390, -10.1450}, {58.0320, -10.1150}}};
constexpr std::array<TGeoPoint, 4> Ring{
    {{58.0520, -10.1500}, {58.0430, -10.1600}, {58.0320, -10.1500}, {58.0280, -10.1250}}};
constexpr std::array<TPolyline, 6> Streets{{
    {"Harbour Road", Harbour},
    {"High Street", HighStreet},
    {"Mill Lane", Cross1},
    {"Quay Street", Cross2},
    {"Church Street", Cross3},
    {"Ring Road", Ring},
}};

constexpr std::array<TTown, 8> Towns{{
    {"Port Zyl", {58.0400, -10.1200}, 42000},
    {"Carrick", {57.9500, -10.5500}, 2500},
    {"Kellmouth", {57.6600, -10.7600}, 8000},
    {"Brannoch", {58.2700, -10.6800}, 6500},
    {"Dunmore", {57.8800, -11.3000}, 3000},
    {"Ardan", {58.0300, -11.3300}, 1200},
    {"Westhaven", {58.1500, -11.8800}, 5000},
    {"Fennick", {57.7900, -11.6000}, 1800},
}};

constexpr std::array<TSight, 3> Sights{{
    {"Ben Zyl 612 m", {58.1000, -11.1000}},
    {"East Cape light", {58.0000, -10.0000}},
    {"Loch Ardan", {58.0760, -11.2450}},
}};

const TRegion Region{"Zylland", Coast, LochArdan, Rivers, Roads, Streets, Towns, Sights};

}  // namespace

const TRegion& Zylland() { return Region; }

const TTown* FindTown(std::string_view Name) {
    for (const TTown& T : Towns)
        if (T.Name == Name) return &T;
    return nullptr;
}

}  // namespace zylcarto::demo
