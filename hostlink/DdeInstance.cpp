#include "DdeInstance.h"

#include "DdeClientConv.h"
#include "WinExec.h"

namespace hostlink {

namespace {

DWORD instanceId = 0;
HSZ ownService = nullptr;
QString ownCaption;
unsigned launchProgram(const QString &commandLine, unsigned showCommand)
{
    return shell::WinExec(commandLine, showCommand);
}
Launcher launcher = launchProgram;

TDdeClientConv *conversationObject(HCONV conversation)
{
    CONVINFO info{};
    info.cb = sizeof info;
    if (!DdeQueryConvInfo(conversation, QID_SYNC, &info))
        return nullptr;
    return reinterpret_cast<TDdeClientConv *>(info.hUser);
}

QString queryString(HSZ hsz)
{
    char text[256] = {};
    DdeQueryStringA(instanceId, hsz, text, sizeof text, CP_WINANSI);
    return QString::fromLatin1(text);
}

// Client notifications, and the server side of the program's own service name.
HDDEDATA callback(UINT type, UINT, HCONV conversation, HSZ hsz1, HSZ hsz2, HDDEDATA, ULONG_PTR,
                  ULONG_PTR)
{
    switch (type) {
    case XTYP_ADVDATA:
        if (TDdeClientConv *c = conversationObject(conversation))
            c->advData(hsz2);
        return reinterpret_cast<HDDEDATA>(DDE_FACK);
    case XTYP_DISCONNECT:
        if (TDdeClientConv *c = conversationObject(conversation))
            c->disconnected();
        return nullptr;
    case XTYP_CONNECT:
        return reinterpret_cast<HDDEDATA>(
            (hsz2 == nullptr || DdeCmpStringHandles(hsz2, ownService) == 0) &&
            queryString(hsz1).compare(ownCaption, Qt::CaseInsensitive) == 0);
    default:
        return nullptr;
    }
}

} // namespace

DWORD ddeInstance()
{
    return instanceId;
}

UINT startDdeInstance(const QString &service, const QString &windowCaption)
{
    const UINT error = DdeInitializeA(&instanceId, callback, 0, 0);
    if (error != DMLERR_NO_ERROR) {
        const UINT last = DdeGetLastError(instanceId);
        return last != DMLERR_NO_ERROR && last != DMLERR_DLL_NOT_INITIALIZED ? last : error;
    }
    ownCaption = windowCaption;
    ownService = DdeCreateStringHandleA(instanceId, service.toLatin1().constData(), CP_WINANSI);
    DdeNameService(instanceId, ownService, nullptr, DNS_REGISTER);
    return DMLERR_NO_ERROR;
}

void endDdeInstance()
{
    if (!instanceId)
        return;
    DdeNameService(instanceId, ownService, nullptr, DNS_UNREGISTER);
    DdeUninitialize(instanceId); // frees the instance's string handles
    instanceId = 0;
    ownService = nullptr;
}

QString ddeStartErrorMessage(UINT code)
{
    const QString hex = QString::number(code, 16).toUpper();
    if (code == DMLERR_LOW_MEMORY || code == DMLERR_MEMORY_ERROR)
        return QStringLiteral("Error occurred when DDE ran out of memory ($0%1)").arg(hex);
    if (code == DMLERR_NO_CONV_ESTABLISHED)
        return QStringLiteral("DDE Error - conversation not established ($0%1)").arg(hex);
    return QStringLiteral("An error returned from DDE  ($0%1)").arg(hex);
}

void setLauncher(Launcher replacement)
{
    launcher = replacement ? replacement : launchProgram;
}

unsigned launchHost(const QString &commandLine, unsigned showCommand)
{
    return launcher(commandLine, showCommand);
}

} // namespace hostlink
