// The connection to the processor: the candidate ports, the open port's transport and the
// comm loop over it, the lookup that walks the candidates until one answers the probe, and
// going off line again. The session drives it from the link's messages: the lookup and the
// connect button, the port-failure message, the probe-answered message.
//
// Ports are opened through an opener by their names, so a serial device, the in-process
// simulated processor and the tests' virtual line enter the same way. The comm loop runs on
// the comm thread, or, for a stepped connection, turn by turn on the caller's thread (the
// tests run the link in virtual time so).
//
// UI thread (or zoltctl's main thread) only, never with the image lock held: closing the
// port waits for the comm thread, whose steps take that lock. What the user sees goes
// through the notification sink (progress box, connection display, message boxes).
#pragma once

#include "link/CommLoop.h"
#include "link/PortList.h"
#include "link/Transport.h"

#include <memory>
#include <string>
#include <vector>

namespace zolt {

class CDeviceLink;

class CConnection {
public:
    CConnection(CDeviceLink& link, CTransportOpener& opener, CClock& clock, bool stepped);
    ~CConnection();
    CConnection(const CConnection&) = delete;
    CConnection& operator=(const CConnection&) = delete;

    // Ports named by the user (--port). With only, they are the candidates, in the order
    // given; without, they come before the system's ports.
    void SetNamedPorts(std::vector<std::string> ports, bool only);

    // The connect button, and the lookup message the main window posts itself at start-up:
    // disconnects when on line, else runs the lookup.
    void OnConnectButton();

    // Off line only: lists the candidates, opens the first one that opens, queues the probe
    // and starts the comm thread; the answer or the port failure arrives as a message.
    // With no port that opens: "Unable to Open Device!", then one line per port saying
    // why it did not open (or that there is no port at all). A quiet lookup, which nobody
    // asked for (a wait for a processor to be plugged in), ends without the message.
    void Lookup(bool quiet = false);

    // Ports that appeared while the program runs (the port watch). Off line: a quiet lookup
    // over them. During a lookup they join the candidates not tried yet; on line with a
    // processor they are left alone. With only named ports, an added port counts only as
    // the named port it is the same device as.
    void OnPortsAdded(const CPortList& added);

    // Handler of the port-failure message. probeInFlight: the port opened but did not
    // answer the probe, so the lookup goes on with the next candidate; when none is left,
    // "Unable to Open Device!" with a line for every port tried. Later, the message has
    // a line naming the frame that failed and why, and for a transfer of all modes cut
    // short, what it had done (for a restore: which modes the processor took from the
    // file). Ignored off line (a failure posted before a disconnect).
    void OnPortFailure(bool probeInFlight);

    // Handler of the probe-answered message: the lookup is over; starts the read-back.
    void OnProbeAnswered();

    // Closes the port and goes off line without a message.
    void Disconnect();

    // "Unable to Open Device!" in the captions' language, then the causes on their own lines.
    void ShowUnableToOpen(const std::string& causes) const;

    bool Online() const;
    // On line with a device that answered the probe by a bare acknowledgement: it sent no
    // state, so no read-back follows. ProbeAcknowledgedText says so for the user.
    bool ProbeAcknowledgedOnly() const;
    std::string ProbeAcknowledgedText() const;
    // The port being opened or open (empty before the first lookup).
    const std::string& PortInUse() const { return m_strPortInUse; }
    // The candidates not tried yet.
    const CPortList& Candidates() const { return m_candidates; }
    // Why each port of the current lookup that was tried did not open or did not answer
    // the probe, in order.
    const std::vector<SOpenFailure>& OpenFailures() const { return m_aFailures; }
    // The open port's transport; null off line.
    CTransport* Port() { return m_pPort.get(); }
    // The comm loop runs: on line, and not yet ended by a port failure.
    bool CommRunning() const;

    // A stepped connection: one turn of the comm loop on the caller's thread; false when
    // no loop runs.
    bool Turn();

private:
    void ListCandidates();
    CPortList PortsToTry(const CPortList& added) const;
    bool OpenNextCandidate();
    void ClosePort();
    void GoOffline();
    std::string LookupCauses() const;

    CDeviceLink& m_link;
    CTransportOpener& m_opener;
    CClock& m_clock;
    bool m_bStepped;
    std::unique_ptr<CTransport> m_pPort;
    std::unique_ptr<CCommLoop> m_pLoop;
    CCommThread m_thread;
    CPortList m_candidates;
    std::vector<std::string> m_aNamedPorts;
    bool m_bNamedOnly = false;
    std::string m_strPortInUse;
    std::vector<SOpenFailure> m_aFailures;
    bool m_bQuietLookup = false; // the lookup under way ends without a message
};

} // namespace zolt
