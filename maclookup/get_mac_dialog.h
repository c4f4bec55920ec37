#pragma once
// The Get MAC Address dialog: the user picks an adapter and an IPv4 address,
// "Get MAC" probes the address and looks its MAC up in the adapter's
// neighbour rows; the found MAC goes to MacHandOff for the main window.
#include <QDialog>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "maclookup/mac_lookup.h"
#include "maclookup/network_adapters.h"

class QComboBox;
class QLabel;
class QLineEdit;
class IpAddressEdit;

// What the dialog asks of the host; tests replace both.
struct GetMacDialogHooks {
    std::function<std::vector<AdapterRecord>()> listAdapters = ListHostAdapters;
    std::function<GetMacOutcome(const std::string& ipText, std::optional<int> interfaceIndex,
                                const ReaderMessage& onMessage)>
        getMac = GetMacAddressOfHost;
};

class CGetMacDlg : public QDialog {
    Q_OBJECT
public:
    explicit CGetMacDlg(QWidget* parent = nullptr, GetMacDialogHooks hooks = {});

    // "Exit": stores the six MAC edits into MacHandOff.macText, leaves ready.
    void accept() override;
    // "Get MAC": probe, then look the address up.
    void OnGetMac();

private:
    void CreateControls();
    void OnInitDialog();
    void FillAdapterList();
    // Moves MacHandOff.macText into the six edits.
    void LoadMacEdits();

    GetMacDialogHooks hooks;
    QComboBox* adapterCombo = nullptr;
    IpAddressEdit* ipAddressCtrl = nullptr;
    std::array<std::uint8_t, 4> ipFields{};
    std::string ipText;
    std::array<QLineEdit*, 6> macEdits{};
    QLabel* statusLine = nullptr;
};
