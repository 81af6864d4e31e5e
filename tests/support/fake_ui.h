#pragma once
// The UI services in memory, built from the same window tables as the real window. Handlers run
// inline on the test thread; workers run on real threads. Every operation on a name the tables
// do not hold throws std::logic_error, so a misspelt control fails the test loudly.

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "chart/chart_model.h"
#include "ui/event_table.h"
#include "ui/jobs.h"
#include "ui/ui.h"

namespace quillet {

class FakeUi : public Ui {
public:
    struct Message {
        std::string text;
        int buttons;
        std::string caption;
        bool fromWorker;
    };
    struct Popup {
        std::string menu;
        std::vector<std::string> visibleItems;
    };

    explicit FakeUi(const EventTable* events = nullptr);
    ~FakeUi() override;

    // Test side: raise an event as the window would, running its handler inline.
    // Returns false when no handler is bound.
    bool fire(const std::string& control, Event event);
    bool click(const std::string& button) { return fire(button, Event::Clicked); }
    // What the user types or chooses.
    void type(const std::string& control, const std::string& text);
    void chooseComboEntry(const std::string& combo, int index);  // also fires Chosen
    void selectRow(const std::string& list, int row) { ListSelectRow(list, row); }
    // The item the user will choose from the next pop-up menu (dismissed when unset).
    void setNextMenuChoice(const std::string& item);
    void setBrowserCookie(const std::string& cookie);

    void waitForWorkers() { workers_.waitIdle(); }

    // Recorded effects.
    std::vector<Message> messages() const;
    std::vector<Popup> popups() const;
    std::vector<std::string> clipboard() const;  // every text put on the clipboard
    std::vector<std::string> openedAddresses() const;
    std::vector<std::string> openedWindows() const;
    std::vector<std::string> browserLoads() const;
    std::vector<std::string> log()
        const;                        // control updates in order, e.g. "SetControlText 标签1=…"
    std::vector<int> pauses() const;  // PauseProcessingEvents arguments
    int pendingEventCalls() const;
    bool visible(const std::string& control) const;
    bool menuItemVisible(const std::string& item) const;
    int rowCount(const std::string& list) const;
    std::vector<std::string> row(const std::string& list, int row) const;
    ChartModel chart() const;
    bool ended() const;

    // Ui.
    std::string GetControlText(const std::string& control) override;
    void SetControlText(const std::string& control, const std::string& text) override;
    void SetControlVisible(const std::string& control, bool visible) override;
    Bytes GetPictureBytes(const std::string& control) override;
    void SetPictureBytes(const std::string& control, const Bytes& bytes) override;
    int ComboSelectedIndex(const std::string& control) override;
    void ListClear(const std::string& list) override;
    using Ui::ListAddRow;
    int ListAddRow(const std::string& list, std::optional<int> position,
                   std::optional<std::string> text) override;
    void ListSetCell(const std::string& list, int row, int column,
                     const std::string& text) override;
    std::string ListGetCell(const std::string& list, int row, int column) override;
    int ListSelectedRow(const std::string& list) override;
    void ListSelectRow(const std::string& list, int row) override;
    void ListEnsureVisible(const std::string& list, int row) override;
    void SetMenuItemVisible(const std::string& item, bool visible) override;
    void PopUpMenu(const std::string& menu) override;
    void OpenWindow(const std::string& window, const std::string& owner) override;
    using Ui::ShowMessage;
    void ShowMessage(const std::string& text, int buttons, const std::string& caption) override;
    void SetClipboardText(const std::string& text) override;
    void OpenInBrowser(const std::string& address) override;
    void ProcessPendingEvents() override;
    void PauseProcessingEvents(int milliseconds) override;
    WorkerHandle StartWorker(Routine routine) override;
    void EndWorker(WorkerHandle handle) override;
    using Ui::ChartSet;
    void ChartSet(const std::string& chart, ChartNumber setting, double value) override;
    void ChartSet(const std::string& chart, ChartText setting, const std::string& text) override;
    void BrowserLoad(const std::string& control, const std::string& address) override;
    std::string BrowserCookie(const std::string& control) override;
    void EndProgram() override;

private:
    struct Control {
        int kind = 0;
        std::string text;
        bool visible = true;
        Bytes picture;
        int columns = 0;
        std::vector<std::vector<std::string>> rows;
        int selected = -1;
        int entries = 0;
    };
    Control& control(const std::string& name);  // caller holds mutex_
    const Control& control(const std::string& name) const;
    Control& list(const std::string& name);
    void checkStop() const;
    void record(std::string entry);

    const EventTable* events_;
    mutable std::mutex mutex_;
    std::map<std::string, Control> controls_;
    std::map<std::string, bool> menuItems_;
    std::map<std::string, std::vector<std::string>> menus_;
    std::optional<std::string> nextMenuChoice_;
    std::string browserCookie_;
    std::vector<Message> messages_;
    std::vector<Popup> popups_;
    std::vector<std::string> clipboard_;
    std::vector<std::string> opened_;
    std::vector<std::string> windows_;
    std::vector<std::string> browserLoads_;
    std::vector<std::string> log_;
    std::vector<int> pauses_;
    int pendingEventCalls_ = 0;
    ChartModel chart_;
    bool ended_ = false;
    JobRunner workers_;
};

}  // namespace quillet
