#include "net/netinfo.h"

#include <gtest/gtest.h>

TEST(ExtractIPv4, ScansAsTheAlgorithmStates)
{
    const struct { const char *text; const char *ip; } cases[] = {
        {"203.0.113.7", "203.0.113.7"},
        {"Current IP Address: 203.0.113.7 (Shanghai)", "203.0.113.7"},
        {"<html><body>203.0.113.7</body></html>", "203.0.113.7"},
        {"256.1.1.1", ""},                  // invalid first octet, rest too short
        {"1234.5.6.7", ""},                 // scan restarts after the dot ending "1234"
        {"1.2.3", ""},
        {"1.2.3.", ""},
        {"", ""},
        {"1.2.3.256 10.0.0.1", "10.0.0.1"}, // invalid fourth run resets the scan
        {"1.2.3.4.5", "1.2.3.4"},           // the dot after the fourth run ends it
        {"010.001.002.003", "010.001.002.003"},   // leading zeros kept as written
        {"1..2.3.4", ""},                   // empty run before a dot resets
        {"x1.2.3.4y", "1.2.3.4"},
        {"version 4.40.2 host 192.168.0.10", "192.168.0.10"},
        {"99999999999999999999.1.2.3.4", "1.2.3.4"},   // a huge run is no octet and cannot overflow
        {"0000.1.2.3", "0000.1.2.3"},       // an octet by value; GetPublicIP rejects lengths > 15
        {"１.２.３.４", ""},                 // only ASCII digits count
    };
    for (const auto &c : cases)
        EXPECT_EQ(ExtractIPv4(QString::fromUtf8(c.text)), QString::fromUtf8(c.ip)) << c.text;
}
