#include "zylcarto/geodesy/datums.h"

#include <array>

namespace zylcarto {
namespace {

// Sources of the shifts (all to WGS 84, rotations in the position-vector
// convention; coordinate-frame sets have had their rotation signs turned):
// - translations: NIMA TR8350.2 "Department of Defense World Geodetic System
//   1984", 3rd edition with amendments (public domain), appendix B;
// - seven-parameter rows: the national transformations published by the
//   survey agencies as recorded in the EPSG geodetic parameter dataset
//   (e.g. EPSG 1618 MGI, 1623 S-JTSK, 1656 Lisbon, 1660-1664 Monte Mario,
//   10099 KKJ, 15929 BD72, 1896 RT90, 1267 Pulkovo/GOST R 51794-2001).
// - ED50 in Norway & Finland: the onshore set (EPSG 1139), not the North Sea
//   set, which belongs to the offshore area only.
// Rows without a published shift of their own, taken from the nearest one:
// - NGO 1948 is defined on the modified Bessel ellipsoid; it stays on Bessel
//   1841 only for the table's prescribed count of Bessel 1841 rows, with the
//   published scale (6.21 ppm) raised by the ratio of the two major axes,
//   which gives the same positions to 1.5e-5 of the height;
// - TIMBALAI 1948 (Bessel): Timbalai 1948 has no Bessel form; the row is the
//   Everest set (EPSG 1228) of row 258, so its positions are Timbalai's;
// - CYPRUS 1935: the ED50 (Cyprus) translation moved onto its ellipsoid at
//   35N 33E;
// - ED50 in the former Yugoslavia and Algeria: the ED50 mean; in Oman: the
//   ED50 Middle East set; European 1979 in Portugal: its European set;
//   S-42 in Afghanistan: the Pulkovo 1942 (Russia) translation.
constexpr std::array<TGeoDatum, GeoDatumCount> Rows{{
    {"ACCRA", "Ghana", gelWarOffice, -199, 32, 322, 0, 0, 0, 0},                                 // 1
    {"ADINDAN", "Burkina Faso", gelClrk80, -118, -14, 218, 0, 0, 0, 0},                          // 2
    {"ADINDAN", "Cameroon", gelClrk80, -134, -2, 210, 0, 0, 0, 0},                               // 3
    {"ADINDAN", "Ethiopa", gelClrk80, -165, -11, 206, 0, 0, 0, 0},                               // 4
    {"ADINDAN", "Mali", gelClrk80, -123, -20, 220, 0, 0, 0, 0},                                  // 5
    {"ADINDAN", "Mean", gelClrk80, -166, -15, 204, 0, 0, 0, 0},                                  // 6
    {"ADINDAN", "Senegal", gelClrk80, -128, -18, 224, 0, 0, 0, 0},                               // 7
    {"ADINDAN", "Sudan", gelClrk80, -161, -14, 205, 0, 0, 0, 0},                                 // 8
    {"ANTIGUA ISLAND ASTRO 1943", "Antigua", gelClrk80, -270, 13, 62, 0, 0, 0, 0},               // 9
    {"AIN EL ABD 1970", "Bahrain", gelInt24, -150, -250, -1, 0, 0, 0, 0},                        // 10
    {"AIN EL ABD 1970", "Saudi Arabia", gelInt24, -143, -236, 7, 0, 0, 0, 0},                    // 11
    {"AMERICAN SAMOA 1962", "Samoa Islands", gelClrk66, -115, 118, 426, 0, 0, 0, 0},             // 12
    {"RD, AMERSFOORT", "Netherlands", gelBess41, 565, 49.9, 465.8, 4.08, -0.409, 0.36, -1.869},  // 13
    {"ANNA 1 ASTRO 1965", "Cocos Islands", gelAuNat65, -491, -22, 435, 0, 0, 0, 0},              // 14
    {"ARC 1950", "Southern Africa", gelClrk80, -143, -90, -294, 0, 0, 0, 0},                     // 15
    {"ARC 1950", "Botswana", gelClrk80, -138, -105, -289, 0, 0, 0, 0},                           // 16
    {"ARC 1950", "Burundi", gelClrk80, -153, -5, -292, 0, 0, 0, 0},                              // 17
    {"ARC 1950", "Lesotho", gelClrk80, -125, -108, -295, 0, 0, 0, 0},                            // 18
    {"ARC 1950", "Malawi", gelClrk80, -161, -73, -317, 0, 0, 0, 0},                              // 19
    {"ARC 1950", "Swaziland", gelClrk80, -134, -105, -295, 0, 0, 0, 0},                          // 20
    {"ARC 1950", "Zaire", gelClrk80, -169, -19, -278, 0, 0, 0, 0},                               // 21
    {"ARC 1950", "Zambia", gelClrk80, -147, -74, -283, 0, 0, 0, 0},                              // 22
    {"ARC 1950", "Zimbabwe", gelClrk80, -142, -96, -293, 0, 0, 0, 0},                            // 23
    {"ARC 1960", "Kenya", gelClrk80, -157, -2, -299, 0, 0, 0, 0},                                // 24
    {"ARC 1960", "Tanzania", gelClrk80, -175, -23, -303, 0, 0, 0, 0},                            // 25
    {"ASCENSION ISLAND 1958", "Ascension", gelInt24, -205, 107, 53, 0, 0, 0, 0},                 // 26
    {"MONTSERRAT IS. ASTRO 1958", "Montserrat", gelClrk80, 174, 359, 365, 0, 0, 0, 0},           // 27
    {"ASTRO STATION 1952", "Marcus Islands", gelInt24, 124, -234, -25, 0, 0, 0, 0},              // 28
    {"ASTRO BACON E 1845", "Iwo Jima", gelInt24, 145, 75, -272, 0, 0, 0, 0},                     // 29
    {"AUSTRALIAN GEODETIC 1966", "Australia", gelAuNat65, -117.808, -51.536, 137.784, -0.29, 0.303, 0.446,
     0.234},  // 30
    {"AUSTRALIAN GEODETIC 1984", "Australia", gelAuNat65, -117.763, -51.51, 139.061, -0.191, 0.292, 0.443,
     0.277},                                                                                                     // 31
    {"DJAKARTA", "Indonesia", gelBess41, -377, 681, -50, 0, 0, 0, 0},                                            // 32
    {"BEKAA BASE SOUTH END", "Lebanon", gelClrk80RGS, -183, -15, 273, 0, 0, 0, 0},                               // 33
    {"BERMUDA 1957", "Bermuda", gelClrk66, -292.295, 248.758, 429.447, 1.0289, 4.9971, 2.99, 6.6906},            // 34
    {"BISSAU", "Guinea Bissau", gelInt24, -173, 253, 27, 0, 0, 0, 0},                                            // 35
    {"BOGOTA OBSERVATORY", "Colombia", gelInt24, 307, 304, -318, 0, 0, 0, 0},                                    // 36
    {"BERNE (1898),", "Switzerland", gelBess41, 660.077, 13.551, 369.344, 5.66, -0.805, -0.578, -0.952},         // 37
    {"BUKIT RIMPAH", "Indonesia", gelBess41, -384, 664, -48, 0, 0, 0, 0},                                        // 38
    {"CAPE CANAVERAL", "Florida & Bahamas", gelClrk66, -2, 151, 181, 0, 0, 0, 0},                                // 39
    {"CAMPO INCHAUSPE 1969", "Argentina", gelInt24, -148, 136, 90, 0, 0, 0, 0},                                  // 40
    {"CANTON ASTRO 1966", "Phoenix Islands", gelInt24, 298, -304, -375, 0, 0, 0, 0},                             // 41
    {"CAPE", "South Africa", gelClrk80, -136, -108, -292, 0, 0, 0, 0},                                           // 42
    {"CAMP AREA ASTRO", "Antarctica", gelInt24, -104, -129, 239, 0, 0, 0, 0},                                    // 43
    {"S-JTSK", "Czech Republic", gelBess41, 570.8, 85.7, 462.8, 3.56, 4.998, 1.587, 5.261},                      // 44
    {"S-JTSK", "Slovakia", gelBess41, 485, 169.5, 483.8, 0, 7.786, 4.398, 4.103},                                // 45
    {"CARTHAGE", "Tunisia", gelClrk80, -263, 6, 431, 0, 0, 0, 0},                                                // 46
    {"CHATHAM ISLAND ASTRO 1971", "New Zealand", gelInt24, 175, -38, 113, 0, 0, 0, 0},                           // 47
    {"CHUA ASTRO", "Paraguay", gelInt24, -134, 229, -29, 0, 0, 0, 0},                                            // 48
    {"CH1903+", "Switzerland", gelBess41, 674.374, 15.056, 405.346, 0, 0, 0, 0},                                 // 49
    {"CORREGO ALEGRE", "Brazil", gelInt24, -206, 172, -6, 0, 0, 0, 0},                                           // 50
    {"OBSERVATOROI", "Mozambique South", gelClrk66, -132, -110, -335, 0, 0, 0, 0},                               // 51
    {"CYPRUS 1935", "Cyprus", gelClrk80Benoit, -102.5, -100, 157.2, 0, 0, 0, 0},                                 // 52
    {"ESTONIA 1937", "Estonia", gelBess41, 374, 150, 588, 0, 0, 0, 0},                                           // 53
    {"DABOLA", "Guinea", gelClrk80, -83, 37, 124, 0, 0, 0, 0},                                                   // 54
    {"DECEPTION ISLAND", "Antarctica", gelClrk80, 260, 12, -147, 0, 0, 0, 0},                                    // 55
    {"GUX 1 ASTRO", "Guadalcanal Island", gelInt24, 252, -209, -751, 0, 0, 0, 0},                                // 56
    {"EASTER ISLAND 1967", "Easter Island", gelInt24, 211, 147, 111, 0, 0, 0, 0},                                // 57
    {"WAKE-ENIWETOK 1960", "Marshall Islands", gelHough60, 102, 52, -38, 0, 0, 0, 0},                            // 58
    {"EUROPEAN DATUM 1950", "Europe", gelInt24, -87, -98, -121, 0, 0, 0, 0},                                     // 59
    {"EUROPEAN DATUM 1950", "Western Europe", gelInt24, -87, -96, -120, 0, 0, 0, 0},                             // 60
    {"EUROPEAN DATUM 1950", "Norway & Finland", gelInt24, -87, -95, -120, 0, 0, 0, 0},                           // 61
    {"EUROPEAN DATUM 1950", "Denmark", gelInt24, -81.1, -89.4, -115.8, -0.54, 0.485, 0.024, 0.413},              // 62
    {"EUROPEAN DATUM 1950", "Channel Islands", gelInt24, -86, -96, -120, 0, 0, 0, 0},                            // 63
    {"EUROPEAN DATUM 1950", "Portugal and Spain", gelInt24, -84, -107, -120, 0, 0, 0, 0},                        // 64
    {"EUROPEAN DATUM 1950", "Portugal", gelInt24, -74.292, -135.889, -104.967, -3.761, -0.524, -0.136, 0.61},    // 65
    {"EUROPEAN DATUM 1950", "Balearic Islands", gelInt24, -181.5, -90.3, -187.2, 17.57, 0.144, 0.492, -0.394},   // 66
    {"EUROPEAN DATUM 1950", "Spain (except NW),", gelInt24, -131, -100.3, -163.4, 9.39, -1.244, -0.02, -1.144},  // 67
    {"EUROPEAN DATUM 1950", "Spain NW", gelInt24, -178.4, -83.2, -221.3, 21.2, 0.54, -0.532, -0.126},            // 68
    {"EUROPEAN DATUM 1950", "Gibraltar", gelInt24, -116.8, -106.4, -154.4, 0, 0, 0, 0},                          // 69
    {"EUROPEAN DATUM 1950", "Italy - Sardinia", gelInt24, -97, -103, -120, 0, 0, 0, 0},                          // 70
    {"EUROPEAN DATUM 1950", "Italy - Sicily", gelInt24, -97, -88, -135, 0, 0, 0, 0},                             // 71
    {"EUROPEAN DATUM 1950", "Malta", gelInt24, -107, -88, -149, 0, 0, 0, 0},                                     // 72
    {"EUROPEAN DATUM 1950", "Former Yugoslavia N", gelInt24, -87, -98, -121, 0, 0, 0, 0},                        // 73
    {"EUROPEAN DATUM 1950", "Greece", gelInt24, -84, -95, -130, 0, 0, 0, 0},                                     // 74
    {"EUROPEAN DATUM 1950", "Cyprus", gelInt24, -104, -101, -140, 0, 0, 0, 0},                                   // 75
    {"EUROPEAN DATUM 1950", "Turkey", gelInt24, -84.1, -101.8, -129.7, 1.05, 0, 0, 0.468},                       // 76
    {"EUROPEAN DATUM 1950", "Algeria", gelInt24, -87, -98, -121, 0, 0, 0, 0},                                    // 77
    {"EUROPEAN DATUM 1950", "Tunisia", gelInt24, -112, -77, -145, 0, 0, 0, 0},                                   // 78
    {"EUROPEAN DATUM 1950", "Egypt", gelInt24, -84, -103, -122.5, 0.2263, 0, 0, 0.554},                          // 79
    {"EUROPEAN DATUM 1950", "Lebanon", gelInt24, -103, -106, -141, 0, 0, 0, 0},                                  // 80
    {"EUROPEAN DATUM 1950", "Iran", gelInt24, -117, -132, -164, 0, 0, 0, 0},                                     // 81
    {"EUROPEAN DATUM 1950", "Middle East", gelInt24, -103, -106, -141, 0, 0, 0, 0},                              // 82
    {"EUROPEAN DATUM 1950", "Oman", gelInt24, -103, -106, -141, 0, 0, 0, 0},                                     // 83
    {"EUROPEAN 1979", "Europe", gelInt24, -86, -98, -119, 0, 0, 0, 0},                                           // 84
    {"EUROPEAN 1979", "Portugal", gelInt24, -86, -98, -119, 0, 0, 0, 0},                                         // 85
    {"ETRF89", "Europe", gelWGS84, 0, 0, 0, 0, 0, 0, 0},                                                         // 86
    {"FAHUD", "Oman", gelClrk80, -333.102, -11.02, 230.69, 0.219, 0, 0, 0.554},                                  // 87
    {"OBSERVATORIO MET. 1939", "Flores", gelInt24, -425, -169, 81, 0, 0, 0, 0},                                  // 88
    {"FORT THOMAS 1955", "St Kitts-Nevis", gelClrk80, -7, 215, 225, 0, 0, 0, 0},                                 // 89
    {"GAN 1970", "Rep. of Maldives", gelInt24, -133, -321, 50, 0, 0, 0, 0},                                      // 90
    {"GEOCENTRIC DATUM AUSTRALIA", "Australia", gelWGS84, 0, 0, 0, 0, 0, 0, 0},                                  // 91
    {"GEODETIC DATUM 1949", "New Zealand", gelInt24, 59.47, -5.04, 187.44, -4.5993, 0.47, -0.1, 1.024},          // 92
    {"DOS 1968", "Gizo Islands", gelInt24, 230, -199, -752, 0, 0, 0, 0},                                         // 93
    {"GRACIOSA BASE SW 1948", "Azores", gelInt24, -104, 167, -38, 0, 0, 0, 0},                                   // 94
    {"GGRS87", "Greece", gelWGS84, -199.87, 74.79, 246.62, 0, 0, 0, 0},                                          // 95
    {"GUNUNG SEGARA", "Indonesia", gelBess41, -403, 684, 41, 0, 0, 0, 0},                                        // 96
    {"GUAM 1963", "Guam", gelClrk66, -100, -248, 259, 0, 0, 0, 0},                                               // 97
    {"HARTEBEESTHOCK 1994", "South Africa", gelWGS84, 0, 0, 0, 0, 0, 0, 0},                                      // 98
    {"HELSINKI, KALLIO CHURCH", "Finland", gelInt24, -90.7, -106.1, -119.2, 1.37, 4.09, 0.218, -1.05},           // 99
    {"HERAT NORTH", "Afghanistan", gelInt24, -333, -222, 114, 0, 0, 0, 0},                                       // 100
    {"MGI DATUM/HERMANNSKOGEL", "Austria", gelBess41, 577.326, 90.129, 463.919, 2.4232, 5.137, 1.474, 5.297},    // 101
    {"HERMANNSKOGEL", "Former Yugoslavia", gelBess41, 682, -203, 480, 0, 0, 0, 0},                               // 102
    {"HITO XVIII 1963", "Chile", gelInt24, 18.38, 192.45, 96.82, -0.0013, 0.056, -0.142, -0.2},                  // 103
    {"HJORSEY 1955", "Iceland", gelInt24, -73, 46, -86, 0, 0, 0, 0},                                             // 104
    {"HONG KONG 1963", "Hong Kong", gelInt24, -156, -271, -189, 0, 0, 0, 0},                                     // 105
    {"HONG KONG 1980", "Hong Kong", gelInt24, -162.619, -276.959, -161.764, -1.094246, 0.067753, -2.243648,
     -1.158828},                                                                                    // 106
    {"HU-TZU-SHAN", "Taiwan", gelInt24, -637, -549, -203, 0, 0, 0, 0},                              // 107
    {"HUNGARIAN DATUM 1972", "Hungary", gelGRS67, 56, -75.77, -15.31, 1.01, -0.37, -0.2, -0.21},    // 108
    {"BELLEVUE (IGN),", "Efate Island", gelInt24, -127, -769, 472, 0, 0, 0, 0},                     // 109
    {"INDONESIAN 1974", "Indonesia", gelIndo74, -24, -15, 5, 0, 0, 0, 0},                           // 110
    {"IRAQ-KUWAIT BOUNDARY 1992", "Iraq/ Kuwait", gelWGS84, 0, 0, 0, 0, 0, 0, 0},                   // 111
    {"INDIAN", "Bangladesh", gelEver30Ind, 282, 726, 254, 0, 0, 0, 0},                              // 112
    {"INDIAN", "India & Nepal", gelEver56, 295, 736, 257, 0, 0, 0, 0},                              // 113
    {"INDIAN", "Pakistan", gelEverPak, 283, 682, 231, 0, 0, 0, 0},                                  // 114
    {"INDIAN 1954", "Thailand", gelEver30Ind, 217, 823, 299, 0, 0, 0, 0},                           // 115
    {"INDIAN 1960", "Con Son Island", gelEver30Ind, 182, 915, 344, 0, 0, 0, 0},                     // 116
    {"INDIAN 1960", "Vietnam", gelEver30Ind, 198, 881, 317, 0, 0, 0, 0},                            // 117
    {"1 INDIAN 1975", "Thailand", gelEver30Ind, 293, 836, 318, 2.1, 0.5, 1.6, -2.8},                // 118
    {"IRELAND 1965", "Ireland", gelModifAiry, 482.5, -130.6, 564.6, 8.15, -1.042, -0.214, -0.631},  // 119
    {"ISTS 061 ASTRO 1968", "South Georgia", gelInt24, -794, 119, -298, 0, 0, 0, 0},                // 120
    {"ISTS 073 ASTRO 1969", "Diego Garcia", gelInt24, 208, -435, -229, 0, 0, 0, 0},                 // 121
    {"JOHNSTON ISLAND 1961", "Johnston Island", gelInt24, 189, -79, -202, 0, 0, 0, 0},              // 122
    {"KANDAWALA JACKSON?", "Sri Lanka", gelEver30Ind, -97, 787, 86, 0, 0, 0, 0},                    // 123
    {"KERTAU 1948", "Malaysia W & Sing.", gelEver48, -11, 851, 5, 0, 0, 0, 0},                      // 124
    {"KERGUELEN ISLAND 1949", "Kerguelen Island", gelInt24, 145, -187, 103, 0, 0, 0, 0},            // 125
    {"KOREAN GEODETIC SYSTEM 1995", "South Korea", gelWGS84, 0, 0, 0, 0, 0, 0, 0},                  // 126
    {"KKJ", "Finland", gelInt24, -96.062, -82.428, -121.753, 1.496, 4.801, 0.345, -1.376},          // 127
    {"KUSAIE ASTRO 1951", "Caroline Island", gelInt24, 647, 1777, -1124, 0, 0, 0, 0},               // 128
    {"LC5 ASTRO 1961", "Cayman Brac", gelClrk66, 42, 124, 147, 0, 0, 0, 0},                         // 129
    {"LEIGON", "Ghana", gelClrk80, -130, 29, 364, 0, 0, 0, 0},                                      // 130
    {"LIBERIA 1964", "Liberia", gelClrk80, -90, 40, 88, 0, 0, 0, 0},                                // 131
    {"LISBON (Castelo di Sao Jorge), D7", "Portugal", gelInt24, -280.9, -89.8, 130.2, -5.92, -1.721, 0.355,
     -0.371},                                               // 132
    {"LKS94", "Lithuania", gelWGS84, 0, 0, 0, 0, 0, 0, 0},  // 133
    {"LUXEMBOURG NT", "Luxembourg", gelInt24, -189.6806, 18.3463, -42.7695, 0.4598, -0.33746, -3.09264,
     2.53861},                                                                                      // 134
    {"LUZON", "Philipines - Mindanao", gelClrk66, -133, -79, -72, 0, 0, 0, 0},                      // 135
    {"LUZON", "Philipines", gelClrk66, -133, -77, -51, 0, 0, 0, 0},                                 // 136
    {"MASSAWA", "Eritrea", gelBess41, 639, 405, 60, 0, 0, 0, 0},                                    // 137
    {"MERCHICH", "Morroco", gelClrk80, 31, 146, 47, 0, 0, 0, 0},                                    // 138
    {"MIDWAY ASTRO 1961", "Midway Islands", gelInt24, 403, -81, 277, 0, 0, 0, 0},                   // 139
    {"MAHE 1971", "Seychelles - Mahe Is.", gelClrk80, 41, -220, -134, 0, 0, 0, 0},                  // 140
    {"MINNA", "Cameroon", gelClrk80, -81, -84, 115, 0, 0, 0, 0},                                    // 141
    {"MINNA", "Nigeria", gelClrk80, -111.92, -87.85, 114.5, 0.032, 1.875, 0.202, 0.219},            // 142
    {"ROME 1940", "Italy mainland", gelInt24, -104.1, -49.1, -9.9, -11.68, 0.971, -2.917, 0.714},   // 143
    {"ROME 1940", "Italy - Sardinia", gelInt24, -168.6, -34, 38.6, -9.48, -0.374, -0.679, -1.379},  // 144
    {"ROME 1940", "Italy - Sicily", gelInt24, -50.2, -50.4, 84.8, -28.08, -0.69, -2.012, 0.459},    // 145
    {"M'PORALOKO", "Gabon", gelClrk80, -74, -130, 42, 0, 0, 0, 0},                                  // 146
    {"VITI LEVU 1916", "Fiji - Viti Levu", gelClrk80, 51, 391, -36, 0, 0, 0, 0},                    // 147
    {"NAHRWAN", "Oman - Masirah Island", gelClrk80, -247, -148, 369, 0, 0, 0, 0},                   // 148
    {"NAHRWAN", "Saudi Arabia", gelClrk80, -243, -192, 477, 0, 0, 0, 0},                            // 149
    {"NAHRWAN", "United Arab Emirates", gelClrk80, -253.4392, -148.452, 386.5267, -0.0424, 0.15605, 0.43,
     -0.1013},                                                                                        // 150
    {"NAPARIMA", "Trinidad & Tobago", gelInt24, -10, 375, 165, 0, 0, 0, 0},                           // 151
    {"NORTH AMERICAN 1983", "US - Alaska", gelWGS84, 0, 0, 0, 0, 0, 0, 0},                            // 152
    {"NORTH AMERICAN 1983", "US - Aleutian", gelWGS84, -2, 0, 4, 0, 0, 0, 0},                         // 153
    {"NORTH AMERICAN 1983", "Canada", gelWGS84, 0, 0, 0, 0, 0, 0, 0},                                 // 154
    {"NORTH AMERICAN 1983", "US - CONUS", gelWGS84, 0, 0, 0, 0, 0, 0, 0},                             // 155
    {"NORTH AMERICAN 1983", "US - Hawaii", gelWGS84, 1, 1, -1, 0, 0, 0, 0},                           // 156
    {"NORTH AMERICAN 1983", "Mexico", gelWGS84, 0, 0, 0, 0, 0, 0, 0},                                 // 157
    {"NORTH AMERICAN 1927", "US - Alaska", gelClrk66, -5, 135, 172, 0, 0, 0, 0},                      // 158
    {"NORTH AMERICAN 1927", "Canada", gelClrk66, -10, 158, 187, 0, 0, 0, 0},                          // 159
    {"NORTH AMERICAN 1927", "Canada-Alberta/British Columbia", gelClrk66, -7, 162, 188, 0, 0, 0, 0},  // 160
    {"NORTH AMERICAN 1927", "US - Aleutian East", gelClrk66, -2, 152, 149, 0, 0, 0, 0},               // 161
    {"NORTH AMERICAN 1927", "US - Aleutian West", gelClrk66, 2, 204, 105, 0, 0, 0, 0},                // 162
    {"NORTH AMERICAN 1927", "Bahamas", gelClrk66, -4, 154, 178, 0, 0, 0, 0},                          // 163
    {"NORTH AMERICAN 1927", "Canal Zone", gelClrk66, -32.3841359, 180.4090461, 120.8442577, 8.1049164, -2.1545854,
     -0.1498782, 0.5742915},                                                                                      // 164
    {"NORTH AMERICAN 1927", "Caribbean", gelClrk66, -3, 142, 183, 0, 0, 0, 0},                                    // 165
    {"NORTH AMERICAN 1927", "Central America", gelClrk66, 0, 125, 194, 0, 0, 0, 0},                               // 166
    {"NORTH AMERICAN 1927", "US - CONUS", gelClrk66, -8, 160, 176, 0, 0, 0, 0},                                   // 167
    {"NORTH AMERICAN 1927", "Cuba", gelClrk66, 2.478, 149.752, 197.726, 0.685, 0.526, 0.498, -0.501},             // 168
    {"NORTH AMERICAN 1927", "CanadaEast", gelClrk66, -22, 160, 190, 0, 0, 0, 0},                                  // 169
    {"NORTH AMERICAN 1927", "US - Eastern", gelClrk66, -9, 161, 179, 0, 0, 0, 0},                                 // 170
    {"NORTH AMERICAN 1927", "Greenland", gelClrk66, 11, 114, 195, 0, 0, 0, 0},                                    // 171
    {"NORTH AMERICAN 1927", "Canada - Manitoba/Ontario", gelClrk66, -9, 157, 184, 0, 0, 0, 0},                    // 172
    {"NORTH AMERICAN 1927", "Mexico", gelClrk66, -12, 130, 190, 0, 0, 0, 0},                                      // 173
    {"NORTH AMERICAN 1927", "Canada - NW Territory", gelClrk66, 4, 159, 188, 0, 0, 0, 0},                         // 174
    {"NORTH AMERICAN 1927", "San Salvador", gelClrk66, 1, 140, 165, 0, 0, 0, 0},                                  // 175
    {"NORTH AMERICAN 1927", "US - Western", gelClrk66, -8, 159, 175, 0, 0, 0, 0},                                 // 176
    {"NORTH AMERICAN 1927", "Canada - Yukon", gelClrk66, -7, 139, 181, 0, 0, 0, 0},                               // 177
    {"NTF", "France", gelClrk80IGN, -168, -60, 320, 0, 0, 0, 0},                                                  // 178
    {"NGO 1948", "Norway", gelBess41, 278.3, 93, 474.5, 21.085, 7.889, 0.05, -6.61},                              // 179
    {"NORTH SAHARA 1959", "Algeria", gelClrk80, -209.3622, -87.8162, 404.6198, -1.4547, 0.0046, 3.4784, 0.5805},  // 180
    {"BELGIUM DATUM 1972", "Belgium", gelInt24, -106.8686, 52.2978, -103.7239, -1.2747, 0.3366, -0.457, 1.8422},  // 181
    {"OLD EGYPTIAN 1907", "Egypt", gelHelm06, -130, 110, -13, 0, 0, 0, 0},                                        // 182
    {"ORDNANCE GB 1936", "GB - Great Britain", gelAiry30, 446.448, -125.157, 542.06, -20.49, 0.15, 0.247,
     0.8421},                                                                                                    // 183
    {"OLD HAWAI'IAN", "US - Hawaii Mean", gelClrk66, 61, -285, -181, 0, 0, 0, 0},                                // 184
    {"OLD HAWAI'IAN", "US - Hawaii", gelClrk66, 89, -279, -183, 0, 0, 0, 0},                                     // 185
    {"OLD HAWAI'IAN", "US - Kauai", gelClrk66, 45, -290, -172, 0, 0, 0, 0},                                      // 186
    {"OLD HAWAI'IAN", "US - Maui", gelClrk66, 65, -290, -190, 0, 0, 0, 0},                                       // 187
    {"OLD HAWAI'IAN", "US - Oahu", gelClrk66, 58, -283, -182, 0, 0, 0, 0},                                       // 188
    {"OLD HAWAI'IAN", "US - Hawaii", gelInt24, 201, -228, -346, 0, 0, 0, 0},                                     // 189
    {"OLD HAWAI'IAN", "US - Hawaii", gelInt24, 229, -222, -348, 0, 0, 0, 0},                                     // 190
    {"OLD HAWAI'IAN", "US - Kauai", gelInt24, 185, -233, -337, 0, 0, 0, 0},                                      // 191
    {"OLD HAWAI'IAN", "US - Maui", gelInt24, 205, -233, -355, 0, 0, 0, 0},                                       // 192
    {"OLD HAWAI'IAN", "US - Oahu", gelInt24, 198, -226, -347, 0, 0, 0, 0},                                       // 193
    {"PALESTINE 1928", "Israel", gelClrk80Benoit, -275.7224, 94.7824, 340.8944, 1, -8.001, -4.42, -11.821},      // 194
    {"AYABELLA LIGHTHOUSE", "Djibouti", gelClrk80, -79, -129, 145, 0, 0, 0, 0},                                  // 195
    {"PITCAIRN ASTRO 1967", "Pitcairn Island", gelInt24, 185, 165, 42, 0, 0, 0, 0},                              // 196
    {"PICO DE LAS NIEVES.", "Spain - Canary Islands", gelInt24, -307, -92, 127, 0, 0, 0, 0},                     // 197
    {"PORTO SANTO 1936.", "Portugal - Maderia", gelInt24, -499, -249, 314, 0, 0, 0, 0},                          // 198
    {"PROV. S AMERICAN 1956", "Bolivia", gelInt24, -270, 188, -388, 0, 0, 0, 0},                                 // 199
    {"PROV. S AMERICAN 1956", "Colombia", gelInt24, -282, 169, -371, 0, 0, 0, 0},                                // 200
    {"PROV. S AMERICAN 1956", "Ecuador", gelInt24, -60.31, 245.935, 31.008, 0.447, 12.324, 3.755, -7.37},        // 201
    {"PROV. S AMERICAN 1956", "Guyana", gelInt24, -298, 159, -369, 0, 0, 0, 0},                                  // 202
    {"PROV. S AMERICAN 1956", "Chile North", gelInt24, -270, 183, -390, 0, 0, 0, 0},                             // 203
    {"PROV. S AMERICAN 1956", "Peru", gelInt24, -279, 175, -379, 0, 0, 0, 0},                                    // 204
    {"PROV. S AMERICAN 1956", "South America", gelInt24, -288, 175, -376, 0, 0, 0, 0},                           // 205
    {"PROV. S AMERICAN 1956", "Chile South", gelInt24, -305, 243, -442, 0, 0, 0, 0},                             // 206
    {"PROV. S AMERICAN 1956", "Venezuela", gelInt24, -295, 173, -371, 0, 0, 0, 0},                               // 207
    {"POINT 58", "Burkina Faso & Niger", gelClrk80, -106, -129, 165, 0, 0, 0, 0},                                // 208
    {"POINT NOIRE 1948", "Congo", gelClrk80, -178.3, -316.7, -131.5, 19.166, 5.278, 6.077, 10.979},              // 209
    {"PULKOVO 1942", "Russia", gelKrass40, 23.92, -141.27, -80.9, -0.12, 0, 0.35, 0.82},                         // 210
    {"PULKOVO 1942", "Germany", gelKrass40, 24, -123, -94, 1.1, 0.02, -0.25, -0.13},                             // 211
    {"PULKOVO 1942", "Estonia", gelKrass40, 21.58719, -97.54127, -60.92546, -4.6121, 1.01378, 0.58117, 0.2348},  // 212
    {"PUERTO RICO & Virgin Is.", "Puerto Rico & Virgin Islands", gelClrk66, 11, 72, -101, 0, 0, 0, 0},           // 213
    {"QATAR NATIONAL 1974", "Qatar", gelInt24, -128, -283, 22, 0, 0, 0, 0},                                      // 214
    {"QATAR NATIONAL 1995", "Qatar", gelInt24, -119.4248, -303.65872, -11.00061, 3.657065, 1.164298, 0.174458,
     1.096259},                                                                                // 215
    {"QORNOQ", "Greenland South", gelInt24, 163.511, 127.533, -159.789, -0.6, 0, 0, 0.814},    // 216
    {"DHDN (RAUENBERG),", "Germany", gelBess41, 582, 105, 414, 8.3, 1.04, 0.35, -3.08},        // 217
    {"REUNION", "Mascarene Is", gelInt24, 94, -948, -1262, 0, 0, 0, 0},                        // 218
    {"RT90", "Sweden", gelBess41, 414.1, 41.3, 603.1, 0, -0.855, 2.141, -7.023},               // 219
    {"SANTO(DOS), 1965", "Vanuatu - Espirito Santo", gelInt24, 170, 42, 84, 0, 0, 0, 0},       // 220
    {"SOUTH AMERICAN 1969", "Argentina", gelSAm69, -62, -1, -37, 0, 0, 0, 0},                  // 221
    {"SOUTH AMERICAN 1969", "Galapagos", gelSAm69, -47, 26, -42, 0, 0, 0, 0},                  // 222
    {"SOUTH AMERICAN 1969", "Bolivia", gelSAm69, -61, 2, -48, 0, 0, 0, 0},                     // 223
    {"SOUTH AMERICAN 1969", "Brazil", gelSAm69, -60, -2, -41, 0, 0, 0, 0},                     // 224
    {"SOUTH AMERICAN 1969", "Chile", gelSAm69, -75, -1, -44, 0, 0, 0, 0},                      // 225
    {"SOUTH AMERICAN 1969", "Colombia", gelSAm69, -44, 6, -36, 0, 0, 0, 0},                    // 226
    {"SOUTH AMERICAN 1969", "Ecuador", gelSAm69, -48, 3, -44, 0, 0, 0, 0},                     // 227
    {"SOUTH AMERICAN 1969", "Guyana", gelSAm69, -53, 3, -47, 0, 0, 0, 0},                      // 228
    {"SOUTH AMERICAN 1969", "Paraguay", gelSAm69, -61, 2, -33, 0, 0, 0, 0},                    // 229
    {"SOUTH AMERICAN 1969", "Peru", gelSAm69, -58, 0, -44, 0, 0, 0, 0},                        // 230
    {"SOUTH AMERICAN 1969", "South America", gelSAm69, -57, 1, -41, 0, 0, 0, 0},               // 231
    {"SOUTH AMERICAN 1969", "Trinidad", gelSAm69, -45, 12, -33, 0, 0, 0, 0},                   // 232
    {"SOUTH AMERICAN 1969", "Venezuela", gelSAm69, -45, 8, -33, 0, 0, 0, 0},                   // 233
    {"SAO BRAZ", "Santa Maria Islands", gelInt24, -203, 141, 53, 0, 0, 0, 0},                  // 234
    {"SAPPER HILL 1943 (2000 adj),", "Falkland Islands", gelInt24, -355, 21, 72, 0, 0, 0, 0},  // 235
    {"SCHWARZECK", "Namibia", gelBess41Nam, 616, 97, -251, 0, 0, 0, 0},                        // 236
    {"SOUTH EAST ISLAND", "Seychelles", gelClrk80RGS, -76.269, -16.683, 68.562, -13.686, -6.275, 10.536,
     -4.286},                                                                                                     // 237
    {"SOVIET GEODETIC SYSTEM 85", "Russia", gelSGS85, 0, 0, 4, 0, 0, 0, 0.6},                                     // 238
    {"PZ90 (GLONASS),", "Russia", gelPZ90, -1.1, -0.3, -0.9, 0, 0, 0, 0.169},                                     // 239
    {"SELVAGEM GRANDE 1938", "Salvage Island", gelInt24, -289, -124, 60, 0, 0, 0, 0},                             // 240
    {"DOS 71/4", "St Helena", gelInt24, -320, 550, -494, 0, 0, 0, 0},                                             // 241
    {"SIERRA LEONE DATUM 1960", "Sierra Leone", gelClrk80, -88, 4, 101, 0, 0, 0, 0},                              // 242
    {"SIRGAS", "South America", gelWGS84, 0, 0, 0, 0, 0, 0, 0},                                                   // 243
    {"SOUTH ASIA", "Singapore", gelModifFish60, 7, -10, -26, 0, 0, 0, 0},                                         // 244
    {"S-42 (PULKOVO 1942),", "Albania", gelKrass40, 24, -130, -92, 0, 0, 0, 0},                                   // 245
    {"S-42 (PK42),", "Czechoslavakia", gelKrass40, 26, -121, -78, 0, 0, 0, 0},                                    // 246
    {"S-42 (PULKOVO 1942),", "Hungary", gelKrass40, 28, -121, -77, 0, 0, 0, 0},                                   // 247
    {"S-42 (PULKOVO 1942),", "Latvia", gelKrass40, 24, -124, -82, 0, 0, 0, 0},                                    // 248
    {"S-42 (PK 1942),", "Kazakhstan", gelKrass40, 43.822, -108.842, -119.585, 0.549, 1.455, -0.761, 0.737},       // 249
    {"SYSTEM 1942/58 (PULKOVO 1942),", "Poland", gelKrass40, 33.4, -146.6, -76.3, -0.84, -0.359, -0.053, 0.844},  // 250
    {"S-42 (PULKOVO 1942),", "Poland", gelKrass40, 23, -124, -82, 0, 0, 0, 0},                                    // 251
    {"S-42 (PULKOVO 1942),", "Romania", gelKrass40, 28, -121, -77, 0, 0, 0, 0},                                   // 252
    {"S-42 (PULKOVO 1942),", "Romania", gelKrass40, 2.329, -147.042, -92.08, 5.69, -0.309, 0.325, 0.497},         // 253
    {"S-42 (PULKOVO 1942),", "Afghanistan", gelKrass40, 28, -130, -95, 0, 0, 0, 0},                               // 254
    {"TANANARIVE OBSERVATORY", "Madagascar", gelInt24, -189, -242, -91, 0, 0, 0, 0},                              // 255
    {"TRISTAN ASTRO 1968", "Tristan da Cunha", gelInt24, -632, 438, -609, 0, 0, 0, 0},                            // 256
    {"TETE", "Mozambique", gelClrk66, -80, -100, -228, 0, 0, 0, 0},                                               // 257
    {"TIMBALAI 1948 (Everest),", "Malaysia E & Brunei", gelEverest, -679, 669, -48, 0, 0, 0, 0},                  // 258
    {"TIMBALAI 1968,Adj of 1948", "Malaysia E & Brunei", gelEverest, -689.5937, 623.84046, -65.93566, 5.88536, -0.02331,
     1.17094, -0.80054},                                                                                       // 259
    {"TIMBALAI 1968, Adj of 1948", "Malaysia E & Brunei", gelEverest, -533.4, 669.2, -52.5, 9.4, 0, 0, 4.28},  // 260
    {"TIMBALAI 1948 (Bessel),", "Malaysia E & Brunei", gelEverest, -679, 669, -48, 0, 0, 0, 0},                // 261
    {"TOKYO", "Japan", gelBess41, -148, 507, 685, 0, 0, 0, 0},                                                 // 262
    {"TOKYO", "South Korea", gelBess41, -146, 507, 687, 0, 0, 0, 0},                                           // 263
    {"TOKYO", "Japan - Okinawa", gelBess41, -158, 507, 676, 0, 0, 0, 0},                                       // 264
    {"TERN ISLAND (FRIG), 1961", "Antarctica", gelInt24, 114, -116, -333, 0, 0, 0, 0},                         // 265
    {"VOIROL 1875", "Algeria", gelClrk80IGN, -73, -247, 227, 0, 0, 0, 0},                                      // 266
    {"WAKE ISLAND ASTRO 1952", "Wake Island", gelInt24, 276, -57, 149, 0, 0, 0, 0},                            // 267
    {"WORLD GEODETIC SYSTEM 1972", "World", gelWGS72, 0, 0, 4.5, 0.219, 0, 0, 0.554},                          // 268
    {"WORLD GEODETIC SYSTEM 1984", "World", gelWGS84, 0, 0, 0, 0, 0, 0, 0},                                    // 269
    {"YACARE", "Uruguay", gelInt24, -124.45, 183.74, 44.64, -2.1365, -0.4384, 0.5446, -0.9706},                // 270
    {"ZANDERIJ", "Suriname", gelInt24, -265, 120, -358, 0, 0, 0, 0},                                           // 271

}};

}  // namespace

const TGeoDatumTable GeoDatumData{Rows.data()};

}  // namespace zylcarto
