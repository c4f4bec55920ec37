// SPDX-License-Identifier: MIT
#pragma once
// The Get MAC Address dialog: the user picks an adapter and an IPv4 address,
// "Get MAC" probes the address and looks its MAC up in the adapter's
// neighbour rows; the found MAC goes to the hand-off record for the main
// window.
#include <QDialog>

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "maclookup/mac_handoff.h"
#include "maclookup/mac_lookup.h"
#include "maclookup/network_adapters.h"
#include "session/session.h"
#include "session/user_services.h"

class QComboBox;
class QLabel;
class QLineEdit;

namespace lq3860 {

class IpAddressEdit;

// What the dialog asks of the host; tests replace both.
struct GetMacDialogHooks {
    std::function<std::vector<AdapterRecord>()> listAdapters;
    // The cycle; a found MAC goes into the hand-off record the dialog shows.
    std::function<GetMacOutcome(const std::string& ipText, std::optional<int> interfaceIndex,
                                const ReaderMessage& onMessage)>
        getMac;
};

// The host's adapters, and the cycle against the host into the session's
// hand-off record.
GetMacDialogHooks HostMacLookupHooks(Session& session);

class CGetMacDlg : public QDialog {
    Q_OBJECT
public:
    // handOff: where a found MAC goes and what the six edits show (not owned).
    CGetMacDlg(MacHandOffRecord& handOff, UserServices& services, GetMacDialogHooks hooks, QWidget* parent = nullptr);

    // "Exit": stores the six MAC edits into the hand-off's macText, leaves ready.
    void accept() override;
    // "Get MAC": probe, then look the address up.
    void OnGetMac();

private:
    void CreateControls();
    // Labels as wide as their texts; where they would reach columnX (less
    // gap), the controls from columnX on move right and the dialog grows.
    void FitLabelColumn(std::initializer_list<QLabel*> labels, int columnX, int gap);
    void OnInitDialog();
    void FillAdapterList();
    // Moves the hand-off's macText into the six edits.
    void LoadMacEdits();

    MacHandOffRecord& handOff_;
    UserServices& services_;
    GetMacDialogHooks hooks_;
    QComboBox* adapterCombo_ = nullptr;
    IpAddressEdit* ipAddressCtrl_ = nullptr;
    std::array<std::uint8_t, 4> ipFields_{};
    std::string ipText_;
    std::array<QLineEdit*, 6> macEdits_{};
    QLabel* statusLine_ = nullptr;
};

}  // namespace lq3860
