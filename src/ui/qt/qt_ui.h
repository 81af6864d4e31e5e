#pragma once
// The UI services over Qt for one job: every call is carried out on the window thread through
// the WindowHost while the job waits.

#include "ui/jobs.h"
#include "ui/qt/window_host.h"
#include "ui/ui.h"

namespace quillet {

class QtUi : public Ui {
public:
    QtUi(WindowHost& host, JobState& job) : host_(host), job_(job) {}

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
    WindowHost& host_;
    JobState& job_;
};

}  // namespace quillet
