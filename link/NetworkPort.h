// Network rooms: a processor on a room PC's serial port, exported by ser2net over TLS, is
// reached as the port tls://HOST:PORT. The room must present a certificate signed by the
// venue CA and issued for HOST; the desk presents its own certificate and key, which the
// room admits or refuses. tcp://HOST:PORT carries the same bytes without encryption, for a
// bench test on a trusted cable, and is refused unless the desk allows it.
//
// The connection is made through the gensio library (its TCP and SSL layers). Nothing is
// written before the room has been authenticated; a refusal (by either side, or a room in
// use by another desk) ends the open with its reason.
//
// Threads: the opener runs on the UI thread (or zoltctl's main thread); the port's
// CTransport operations belong to the comm loop's thread, except RequestStop. Several
// ports may be open at once, on as many threads.
#pragma once

#include "link/Transport.h"

#include <memory>
#include <string>

namespace zolt {

// The desk's keys for network rooms.
struct SNetworkKeys {
    std::string m_strCa;      // the venue CA's certificate (PEM file)
    std::string m_strCert;    // the desk's certificate
    std::string m_strKey;     // the desk's private key
    bool m_bInsecure = false; // tcp:// allowed
};

// Opens tls:// and tcp:// names; every other name with pNext.
class CNetworkOpener final : public CTransportOpener {
public:
    CNetworkOpener(SNetworkKeys keys, CTransportOpener* pNext);
    std::unique_ptr<CTransport> Open(const std::string& name, SOpenFailure& failure) override;

private:
    SNetworkKeys m_keys;
    CTransportOpener* m_pNext;
};

bool IsNetworkPort(const std::string& name); // tls:// or tcp://

// Sets the process up for network ports: call at the top of main(), before any thread
// starts. The library's wake signal is then blocked in every thread the process starts, as
// its waits across threads need.
void PrepareNetworkPorts();

} // namespace zolt
