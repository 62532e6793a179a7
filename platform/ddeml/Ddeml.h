// The DDE management calls with DDEML's names, values and roles, over local sockets
// (docs/dde-transport.md). String handles, conversation handles and data handles work as they
// do on Windows; every callback runs on the thread that initialised the instance, from its
// event loop or from inside that thread's own transactions, and every synchronous transaction
// waits at most its time-out.
#pragma once

#include <cstdint>
#include <string>

using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using BOOL = int;
using ULONG_PTR = std::uintptr_t;
using DWORD_PTR = std::uintptr_t;
using LPBYTE = std::uint8_t *;
using LPDWORD = DWORD *;

using HSZ = struct HSZ__ *;
using HCONV = struct HCONV__ *;
using HDDEDATA = struct HDDEDATA__ *;

using PFNCALLBACK = HDDEDATA (*)(UINT uType, UINT uFmt, HCONV hconv, HSZ hsz1, HSZ hsz2,
                                 HDDEDATA hdata, ULONG_PTR dwData1, ULONG_PTR dwData2);

// Transaction and callback types.
constexpr UINT XTYPF_NODATA = 0x0004;
constexpr UINT XTYPF_ACKREQ = 0x0008;
constexpr UINT XTYP_ADVDATA = 0x4010;
constexpr UINT XTYP_ADVREQ = 0x2022;
constexpr UINT XTYP_ADVSTART = 0x1030;
constexpr UINT XTYP_ADVSTOP = 0x8040;
constexpr UINT XTYP_EXECUTE = 0x4050;
constexpr UINT XTYP_CONNECT = 0x1062;
constexpr UINT XTYP_CONNECT_CONFIRM = 0x8072;
constexpr UINT XTYP_DISCONNECT = 0x80C2;
constexpr UINT XTYP_POKE = 0x4090;
constexpr UINT XTYP_REQUEST = 0x20B0;
constexpr UINT XTYP_REGISTER = 0x80A2;
constexpr UINT XTYP_UNREGISTER = 0x80D2;

constexpr UINT CF_TEXT = 1;
constexpr int CP_WINANSI = 1004;
constexpr UINT DNS_REGISTER = 0x0001;
constexpr UINT DNS_UNREGISTER = 0x0002;
constexpr UINT QID_SYNC = 0xFFFFFFFF;
constexpr ULONG_PTR DDE_FACK = 0x8000;
constexpr ULONG_PTR DDE_FNOTPROCESSED = 0;

// Error codes, as DdeGetLastError gives them.
constexpr UINT DMLERR_NO_ERROR = 0;
constexpr UINT DMLERR_ADVACKTIMEOUT = 0x4000;
constexpr UINT DMLERR_BUSY = 0x4001;
constexpr UINT DMLERR_DATAACKTIMEOUT = 0x4002;
constexpr UINT DMLERR_DLL_NOT_INITIALIZED = 0x4003;
constexpr UINT DMLERR_DLL_USAGE = 0x4004;
constexpr UINT DMLERR_EXECACKTIMEOUT = 0x4005;
constexpr UINT DMLERR_INVALIDPARAMETER = 0x4006;
constexpr UINT DMLERR_LOW_MEMORY = 0x4007;
constexpr UINT DMLERR_MEMORY_ERROR = 0x4008;
constexpr UINT DMLERR_NOTPROCESSED = 0x4009;
constexpr UINT DMLERR_NO_CONV_ESTABLISHED = 0x400A;
constexpr UINT DMLERR_POKEACKTIMEOUT = 0x400B;
constexpr UINT DMLERR_POSTMSG_FAILED = 0x400C;
constexpr UINT DMLERR_REENTRANCY = 0x400D;
constexpr UINT DMLERR_SERVER_DIED = 0x400E;
constexpr UINT DMLERR_SYS_ERROR = 0x400F;
constexpr UINT DMLERR_UNADVACKTIMEOUT = 0x4010;

struct CONVCONTEXT {
    UINT cb;
    UINT wFlags;
    UINT wCountryID;
    int iCodePage;
    DWORD dwLangID;
    DWORD dwSecurity;
    DWORD qos[3];
};

struct CONVINFO {
    DWORD cb;
    DWORD_PTR hUser;
    HCONV hConvPartner;
    HSZ hszSvcPartner;
    HSZ hszServiceReq;
    HSZ hszTopic;
    HSZ hszItem;
    UINT wFmt;
    UINT wType;
    UINT wStatus;
    UINT wConvst;
    UINT wLastError;
    DWORD_PTR hConvList;
    CONVCONTEXT ConvCtxt;
    DWORD_PTR hwnd;
    DWORD_PTR hwndPartner;
};

UINT DdeInitializeA(DWORD *pidInst, PFNCALLBACK pfnCallback, DWORD afCmd, DWORD ulRes);
BOOL DdeUninitialize(DWORD idInst);
UINT DdeGetLastError(DWORD idInst);

HSZ DdeCreateStringHandleA(DWORD idInst, const char *psz, int iCodePage);
BOOL DdeFreeStringHandle(DWORD idInst, HSZ hsz);
DWORD DdeQueryStringA(DWORD idInst, HSZ hsz, char *psz, DWORD cchMax, int iCodePage);
int DdeCmpStringHandles(HSZ hsz1, HSZ hsz2);

HDDEDATA DdeNameService(DWORD idInst, HSZ hsz1, HSZ hsz2, UINT afCmd);

HCONV DdeConnect(DWORD idInst, HSZ hszService, HSZ hszTopic, const CONVCONTEXT *pCC);
BOOL DdeDisconnect(HCONV hConv);
UINT DdeQueryConvInfo(HCONV hConv, DWORD idTransaction, CONVINFO *pConvInfo);
BOOL DdeSetUserHandle(HCONV hConv, DWORD id, DWORD_PTR hUser);

HDDEDATA DdeClientTransaction(LPBYTE pData, DWORD cbData, HCONV hConv, HSZ hszItem, UINT wFmt,
                              UINT wType, DWORD dwTimeout, LPDWORD pdwResult);
HDDEDATA DdeCreateDataHandle(DWORD idInst, const std::uint8_t *pSrc, DWORD cb, DWORD cbOff,
                             HSZ hszItem, UINT wFmt, UINT afCmd);
LPBYTE DdeAccessData(HDDEDATA hData, LPDWORD pcbDataSize);
BOOL DdeUnaccessData(HDDEDATA hData);
BOOL DdeFreeDataHandle(HDDEDATA hData);
BOOL DdePostAdvise(DWORD idInst, HSZ hszTopic, HSZ hszItem);

namespace ddeml {
// The folder of the service sockets: $XDG_RUNTIME_DIR/tolmfsk-dde, made with mode 0700.
std::string socketDirectory();
} // namespace ddeml
