#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <string_view>

#include "zylcarto/geodesy/countries.h"

using namespace zylcarto;

namespace {

constexpr const char* kNames[] = {
    "Afghanistan",
    "Albania",
    "Algeria",
    "American Samoa",
    "Andorra",
    "Angola",
    "Anguilla",
    "Antarctica",
    "Antigua and Barbuda",
    "Argentina",
    "Armenia",
    "Aruba",
    "Australia",
    "Austria",
    "Azerbaijan",
    "Bahamas",
    "Bahrain",
    "Bangladesh",
    "Barbados",
    "Belarus",
    "Belgium",
    "Belize",
    "Benin",
    "Bermuda",
    "Bhutan",
    "Bolivia",
    "Bosnia and Herzegovina",
    "Botswana",
    "Brazil",
    "British Virgin Islands",
    "Brunei",
    "Bulgaria",
    "Burkina Faso",
    "Burma;Myanmar",
    "Burundi",
    "Cambodia",
    "Cameroon",
    "Canada",
    "Cape Verde",
    "Cayman Islands",
    "Central African Republic",
    "Chad",
    "Chile",
    "China",
    "Christmas Island",
    "Cocos Islands",
    "Colombia",
    "Comoros",
    "Congo, Democratic Republic of the",
    "Congo, Republic of the",
    "Cook Islands",
    "Costa Rica",
    "Cote d'Ivoire",
    "Croatia",
    "Cuba",
    "Cyprus",
    "Czech Republic",
    "Denmark",
    "Djibouti",
    "Dominica",
    "Dominican Republic",
    "East Timor;Timor Lestre",
    "Ecuador",
    "Egypt",
    "El Salvador",
    "Equatorial Guinea",
    "Eritrea",
    "Estonia",
    "Ethiopia",
    "Falkland Islands; Malvinas",
    "Faroe Islands",
    "Fiji",
    "Finland",
    "France",
    "French Guiana",
    "French Polynesia",
    "Gabon",
    "Gambia",
    "Georgia",
    "Germany",
    "Ghana",
    "Gibraltar",
    "Greece",
    "Greenland",
    "Grenada",
    "Guadeloupe",
    "Guam",
    "Guatemala",
    "Guernsey",
    "Guinea",
    "Guinea-Bissau",
    "Guyana",
    "Haiti",
    "Honduras",
    "Hungary",
    "Iceland",
    "India",
    "Indonesia",
    "Iran",
    "Iraq",
    "Ireland",
    "Israel",
    "Italy",
    "Jamaica",
    "Japan",
    "Jersey",
    "Jordan",
    "Kazakhstan",
    "Kenya",
    "Kiribati",
    "Korea, North",
    "Korea, South",
    "Kuwait",
    "Kyrgyzstan",
    "Laos",
    "Latvia",
    "Lebanon",
    "Lesotho",
    "Liberia",
    "Libya",
    "Liechtenstein",
    "Lithuania",
    "Luxembourg",
    "Macedonia",
    "Madagascar",
    "Malawi",
    "Malaysia",
    "Maldives",
    "Mali",
    "Malta",
    "Marshall Islands",
    "Martinique",
    "Mauritania",
    "Mauritius",
    "Mayotte",
    "Mexico",
    "Micronesia",
    "Moldova",
    "Monaco",
    "Mongolia",
    "Montenegro",
    "Montserrat",
    "Morocco",
    "Mozambique",
    "Namibia",
    "Nauru",
    "Nepal",
    "Netherlands",
    "Netherlands Antilles",
    "New Caledonia",
    "New Zealand",
    "Nicaragua",
    "Niger",
    "Nigeria",
    "Niue",
    "Norfolk Island",
    "Northern Mariana Islands",
    "Norway",
    "Oman",
    "Pakistan",
    "Palau",
    "Panama",
    "Papua New Guinea",
    "Paraguay",
    "Peru",
    "Philippines",
    "Poland",
    "Portugal",
    "Puerto Rico",
    "Qatar",
    "Reunion",
    "Romania",
    "Russia",
    "Rwanda",
    "Saint Helena",
    "Saint Kitts and Nevis",
    "Saint Lucia",
    "Saint Pierre and Miquelon",
    "Saint Vincent and the Grenadines",
    "Samoa",
    "San Marino",
    "Sao Tome and Principe",
    "Saudi Arabia",
    "Senegal",
    "Serbia and Montenegro",
    "Seychelles",
    "Sierra Leone",
    "Singapore",
    "Slovakia",
    "Slovenia",
    "Solomon Islands",
    "Somalia",
    "South Africa",
    "Spain",
    "Sri Lanka",
    "Sudan",
    "Suriname",
    "Svalbard",
    "Swaziland",
    "Sweden",
    "Switzerland",
    "Syria",
    "Taiwan",
    "Tajikistan",
    "Tanzania",
    "Thailand",
    "Togo",
    "Tonga",
    "Trinidad and Tobago",
    "Tunisia",
    "Turkey",
    "Turkmenistan",
    "Turks and Caicos Islands",
    "Tuvalu",
    "Uganda",
    "Ukraine",
    "United Arab Emirates",
    "United Kingdom",
    "United States",
    "Uruguay",
    "Uzbekistan",
    "Vanuatu",
    "Vatican",
    "Venezuela",
    "Vietnam",
    "Virgin Islands",
    "Wallis and Futuna",
    "Western Sahara",
    "Yemen",
    "Zambia",
    "Zimbabwe",
};

const TCountryData* Find(std::string_view name) {
    for (const auto& c : CountryData)
        if (c.Name.Str() == name) return &c;
    return nullptr;
}

void ExpectRow(std::string_view name, std::string_view fips, std::string_view iso2, std::string_view iso3, double clat,
               double clong, std::string_view capital, double caplat, double caplong, int capalt) {
    SCOPED_TRACE(std::string(name));
    const TCountryData* row = Find(name);
    ASSERT_NE(row, nullptr);
    const TCountryData& c = *row;
    EXPECT_EQ(c.Fips10.Str(), fips);
    EXPECT_EQ(c.ISO3166_2.Str(), iso2);
    EXPECT_EQ(c.ISO3166_3.Str(), iso3);
    EXPECT_EQ(c.CLat, clat);
    EXPECT_EQ(c.CLong, clong);
    EXPECT_EQ(c.Capital.Str(), capital);
    EXPECT_EQ(c.CapLat, caplat);
    EXPECT_EQ(c.CapLong, caplong);
    EXPECT_EQ(c.CapAlt, capalt);
}

bool IsLowerCode(std::string_view s, std::size_t length) {
    if (s.size() != length) return false;
    for (char ch : s)
        if (ch < 'a' || ch > 'z') return false;
    return true;
}

// The "alpha_2"/"alpha_3" pairs of iso-codes' flat list of objects.
std::map<std::string, std::string> ReadIsoAlpha3ByAlpha2(const std::string& json) {
    auto valueOf = [](std::string_view object, std::string_view key) -> std::string {
        const std::string quoted = "\"" + std::string(key) + "\"";
        std::size_t p = object.find(quoted);
        if (p == std::string_view::npos) return {};
        p = object.find('"', object.find(':', p + quoted.size()));
        const std::size_t end = object.find('"', p + 1);
        std::string v(object.substr(p + 1, end - p - 1));
        for (char& ch : v) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        return v;
    };
    std::map<std::string, std::string> result;
    for (std::size_t close = json.find('}'); close != std::string::npos; close = json.find('}', close + 1)) {
        const std::size_t open = json.rfind('{', close);
        const std::string_view object(json.data() + open, close - open);
        const std::string a2 = valueOf(object, "alpha_2");
        if (!a2.empty()) result[a2] = valueOf(object, "alpha_3");
    }
    return result;
}

}  // namespace

TEST(Countries, RowsGivenInFull) {
    ExpectRow("Afghanistan", "af", "af", "afg", 33, 65, "Kabul", 34.5309, 69.1368, 1807);
    ExpectRow("Antarctica", "ay", "aq", "ata", -90, 0, "", -90, 0, 0);
    ExpectRow("Germany", "gm", "de", "deu", 51, 9, "Berlin", 52.5163, 13.3276, 34);
    ExpectRow("Netherlands", "nl", "nl", "nld", 52.5, 5.75, "Amsterdam", 52.373, 4.8948, -1);
    ExpectRow("United States", "us", "us", "usa", 38, -97, "Washington, DC", 38.9051, -77.0162, 2);
    EXPECT_EQ(&CountryData[0], Find("Afghanistan"));  // the table counts from 0
}

TEST(Countries, AllRowsInOrder) {
    ASSERT_EQ(std::size(kNames), CountryData.size());
    for (std::size_t i = 0; i < CountryData.size(); ++i) EXPECT_EQ(CountryData[i].Name.Str(), kNames[i]) << i;
}

TEST(Countries, CodesAndPositionsAreWellFormed) {
    std::set<std::string> fips, iso2, iso3;
    for (const auto& c : CountryData) {
        SCOPED_TRACE(c.Name.Str());
        EXPECT_TRUE(IsLowerCode(c.Fips10.Str(), 2));
        EXPECT_TRUE(IsLowerCode(c.ISO3166_2.Str(), 2));
        EXPECT_TRUE(IsLowerCode(c.ISO3166_3.Str(), 3));
        fips.insert(c.Fips10.Str());
        iso2.insert(c.ISO3166_2.Str());
        iso3.insert(c.ISO3166_3.Str());
        for (double lat : {c.CLat, c.CapLat}) EXPECT_TRUE(lat >= -90 && lat <= 90);
        for (double lon : {c.CLong, c.CapLong}) EXPECT_TRUE(lon >= -180 && lon <= 180);
        EXPECT_EQ(c.Capital.Empty(), c.Name.Str() == "Antarctica");
        EXPECT_TRUE(c.CapAlt > -100 && c.CapAlt < 4000);
    }
    EXPECT_EQ(fips.size(), CountryData.size());
    EXPECT_EQ(iso2.size(), CountryData.size());
    EXPECT_EQ(iso3.size(), CountryData.size());
}

TEST(Countries, DissolvedEntitiesKeepTheirHistoricCodes) {
    ExpectRow("Serbia and Montenegro", "yi", "cs", "scg", 44, 21, "Belgrade", 44.7866, 20.4489, 117);
    const TCountryData* antilles = Find("Netherlands Antilles");
    ASSERT_NE(antilles, nullptr);
    EXPECT_EQ(antilles->ISO3166_2.Str(), "an");
    EXPECT_EQ(antilles->ISO3166_3.Str(), "ant");
}

TEST(Countries, IsoCodesMatchDebianIsoCodes) {
    const char* path = "/usr/share/iso-codes/json/iso_3166-1.json";
    std::ifstream in(path, std::ios::binary);
    if (!in) GTEST_SKIP() << path << " is not installed (Debian package iso-codes)";
    std::ostringstream text;
    text << in.rdbuf();
    const auto alpha3 = ReadIsoAlpha3ByAlpha2(text.str());
    ASSERT_GT(alpha3.size(), 240u) << "the scanner found too few entries";

    std::set<std::string> unknown;
    for (const auto& c : CountryData) {
        const auto it = alpha3.find(c.ISO3166_2.Str());
        if (it == alpha3.end())
            unknown.insert(c.ISO3166_2.Str());
        else
            EXPECT_EQ(c.ISO3166_3.Str(), it->second) << c.Name.Str();
    }
    EXPECT_EQ(unknown, (std::set<std::string>{"an", "cs"}));
}
