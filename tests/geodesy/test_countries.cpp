#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <string_view>

#include "file_bytes.h"
#include "zylcarto/geodesy/countries.h"

using namespace zylcarto;

namespace {

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
    const auto names = test::DataLines("country_names.txt");
    ASSERT_EQ(names.size(), CountryData.size());
    for (std::size_t i = 0; i < CountryData.size(); ++i) EXPECT_EQ(CountryData[i].Name.Str(), names[i]) << i;
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
    if (!std::filesystem::exists(path)) GTEST_SKIP() << path << " is not installed (Debian package iso-codes)";
    const auto alpha3 = ReadIsoAlpha3ByAlpha2(test::ReadFile(path));
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
