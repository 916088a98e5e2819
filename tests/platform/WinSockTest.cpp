// The host lookup behind an address field's default: start-up versions and the computer's own
// IPv4 address.

#include "platform/WinSock.h"

#include <gtest/gtest.h>

#include <cstring>

#include <sys/socket.h>

TEST(WinSock, StartupServesVersionsUpToTwoTwo)
{
    struct Case { WORD asked; int result; WORD given; };
    const Case cases[] = {
        { MAKEWORD(2, 2), 0, MAKEWORD(2, 2) },
        { MAKEWORD(1, 1), 0, MAKEWORD(1, 1) },
        { MAKEWORD(3, 0), 0, MAKEWORD(2, 2) },  // more than we have: the highest we have
        { MAKEWORD(0, 9), WSAVERNOTSUPPORTED, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "asked=0x" << std::hex << c.asked);
        WSADATA data {};
        EXPECT_EQ(WSAStartup(c.asked, &data), c.result);
        if (c.result != 0)
            continue;
        EXPECT_EQ(data.wVersion, c.given);
        EXPECT_EQ(data.wHighVersion, MAKEWORD(2, 2));
        EXPECT_EQ(WSACleanup(), 0);
    }
    EXPECT_EQ(WSACleanup(), WSANOTINITIALISED);
}

TEST(WinSock, OwnHostNameResolvesToAnIPv4Address)
{
    WSADATA data {};
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    char name[256] {};
    ASSERT_EQ(gethostname(name, sizeof(name)), 0);
    EXPECT_NE(name[0], 0);
    const hostent* host = gethostbyname(name);
    if (!host)
        GTEST_SKIP() << "this machine cannot resolve its own name " << name;
    EXPECT_EQ(host->h_addrtype, AF_INET);
    ASSERT_EQ(host->h_length, 4);
    ASSERT_NE(host->h_addr_list[0], nullptr);
    in_addr first {};
    std::memcpy(&first, host->h_addr_list[0], 4);
    EXPECT_NE(ntohl(first.s_addr), 0u);
    WSACleanup();
}
