// The calls on handles: the instance, string handles and data handles.
#include "DdeState.h"

#include <QFile>
#include <csignal>
#include <cstring>

using namespace ddeml;

UINT DdeInitializeA(DWORD *pidInst, PFNCALLBACK pfnCallback, DWORD, DWORD)
{
    if (!pidInst)
        return DMLERR_INVALIDPARAMETER;
    if (!prepareDirectory())
        return DMLERR_SYS_ERROR;
    // A partner that has gone shows as a failed write, not as a signal that ends the program.
    std::signal(SIGPIPE, SIG_IGN);
    auto instance = std::make_unique<Instance>();
    instance->callback = pfnCallback;
    *pidInst = registry().addInstance(std::move(instance));
    return DMLERR_NO_ERROR;
}

BOOL DdeUninitialize(DWORD idInst)
{
    Instance *instance = registry().instance(idInst);
    if (!instance)
        return 0;
    while (!instance->conversations.empty()) {
        Conversation &c = *instance->conversations.begin()->second;
        send(c, ddewire::DisconnectMsg{});
        forget(&c);
    }
    for (auto &[name, server] : instance->services) {
        const QString path = server->fullServerName();
        server->close();
        QFile::remove(path);
    }
    instance->services.clear();
    registry().releaseStrings(idInst);
    registry().removeInstance(idInst);
    return 1;
}

UINT DdeGetLastError(DWORD idInst)
{
    Instance *instance = registry().instance(idInst);
    if (!instance)
        return DMLERR_DLL_NOT_INITIALIZED;
    const UINT error = instance->lastError;
    instance->lastError = DMLERR_NO_ERROR;
    return error;
}

HSZ DdeCreateStringHandleA(DWORD idInst, const char *psz, int)
{
    if (!registry().instance(idInst) || !psz || std::strlen(psz) > ddewire::MaxNameBytes)
        return nullptr;
    return registry().holdString(idInst, psz);
}

BOOL DdeFreeStringHandle(DWORD idInst, HSZ hsz)
{
    return registry().instance(idInst) && registry().releaseString(idInst, hsz) ? 1 : 0;
}

DWORD DdeQueryStringA(DWORD idInst, HSZ hsz, char *psz, DWORD cchMax, int)
{
    if (!registry().instance(idInst) || !hsz)
        return 0;
    const std::string text = registry().stringText(hsz);
    if (psz && cchMax > 0) {
        const std::size_t n = std::min<std::size_t>(text.size(), cchMax - 1);
        std::memcpy(psz, text.data(), n);
        psz[n] = '\0';
        return DWORD(n);
    }
    return DWORD(text.size());
}

int DdeCmpStringHandles(HSZ hsz1, HSZ hsz2)
{
    const auto a = reinterpret_cast<std::uintptr_t>(hsz1),
               b = reinterpret_cast<std::uintptr_t>(hsz2);
    return a == b ? 0 : (a < b ? -1 : 1);
}

HDDEDATA DdeCreateDataHandle(DWORD idInst, const std::uint8_t *pSrc, DWORD cb, DWORD cbOff, HSZ,
                             UINT, UINT)
{
    if (!registry().instance(idInst))
        return nullptr;
    std::vector<std::uint8_t> bytes;
    if (pSrc)
        bytes.assign(pSrc + cbOff, pSrc + cbOff + std::min<DWORD>(cb, ddewire::MaxDataBytes));
    return registry().newData(std::move(bytes));
}

LPBYTE DdeAccessData(HDDEDATA hData, LPDWORD pcbDataSize)
{
    return registry().accessData(hData, pcbDataSize);
}

BOOL DdeUnaccessData(HDDEDATA hData)
{
    return registry().hasData(hData) ? 1 : 0;
}

BOOL DdeFreeDataHandle(HDDEDATA hData)
{
    return registry().freeData(hData) ? 1 : 0;
}
