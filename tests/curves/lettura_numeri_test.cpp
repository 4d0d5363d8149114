// SPDX-License-Identifier: MIT
#include "curves/lettura_numeri.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace ftes {
namespace {

TEST(NumberReading, TakesSignDigitsAndPointIgnoringBlanks) {
    const std::pair<const char*, double> casi[] = {
        {"45", 45},     {" 4 5 ", 45},    {"08", 8},   {"-5", -5}, {"- 5", -5},     {"+7", 7},
        {"12.3", 12.3}, {"1 2. 3", 12.3}, {".5", 0.5}, {"5.", 5},  {"12.5x", 12.5}, {"1.2.3", 1.2},
        {"1e99", 1},    {"0x1A", 0},      {"--5", 0},  {"-", 0},   {".", 0},        {"", 0},
        {"   ", 0},     {"abc", 0},       {"N/A", 0},  {"no", 0},  {"9-", 9},
    };
    for (const auto& [testo, atteso] : casi) {
        EXPECT_DOUBLE_EQ(leggi_numero(testo), atteso) << '"' << testo << '"';
    }
    EXPECT_TRUE(std::isinf(leggi_numero(std::string(400, '9'))));
}

TEST(NumberReading, EveryShortNumberIsTheDoubleStrtodReads) {
    // Every number of up to five digits with the point anywhere, and the longest numbers that
    // are read without strtod and the first that are not: the very same double as strtod's.
    std::vector<std::string> numeri;
    for (int n = 0; n < 100000; n += n < 2000 ? 1 : 7) {
        const std::string cifre = std::to_string(n);
        for (std::size_t punto = 0; punto <= cifre.size(); ++punto) {
            numeri.push_back(cifre.substr(0, punto) + "." + cifre.substr(punto));
        }
        numeri.push_back(cifre);
    }
    for (const char* lungo :
         {"999999999999999", "9999999999999999", "0.123456789012345", "0.1234567890123456",
          "12345678.9012345", "1234567890123.45", "0.000000000000001", "000000000000000.1"}) {
        numeri.emplace_back(lungo);
    }
    for (const std::string& numero : numeri) {
        const double atteso = std::strtod(numero.c_str(), nullptr);
        const double letto = leggi_numero(numero);
        ASSERT_EQ(std::memcmp(&letto, &atteso, sizeof letto), 0) << numero;
    }
}

TEST(NumberReading, SixteenBitIntegerRoundsHalfToEvenAndRefusesWhatDoesNotFit) {
    const std::pair<double, std::optional<std::int16_t>> casi[] = {
        {0.5, 0},
        {1.5, 2},
        {2.5, 2},
        {-2.5, -2},
        {2.6, 3},
        {-0.4, 0},
        {32767, 32767},
        {32767.4, 32767},
        {32767.5, std::nullopt},
        {-32768, -32768},
        {-32769, std::nullopt},
        {1e99, std::nullopt},
        {std::numeric_limits<double>::infinity(), std::nullopt},
        {std::numeric_limits<double>::quiet_NaN(), std::nullopt},
    };
    for (const auto& [valore, atteso] : casi) EXPECT_EQ(intero16(valore), atteso) << valore;
}

}  // namespace
}  // namespace ftes
