#pragma once
// The UI services every handler uses. Handlers see only this interface: the Qt binding carries
// each call out on the window thread, FakeUi (tests) keeps the controls in memory.
//
// Controls are named as the window table names them. A control of ImageBrowserWindow is named
// "ImageBrowserWindow/<name>"; a window's own name ("MainWindow", "ImageBrowserWindow")
// addresses its title. An unknown name is a programming error: the Qt binding ignores it, FakeUi
// fails the test.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "net/stop_token.h"  // StopRequested

namespace quillet {

using Bytes = std::string;           // raw bytes: bodies, pictures, files
using WorkerHandle = std::uint64_t;  // 0 means none

// Settings of the curve chart, in the order the chart control takes them.
enum class ChartNumber {
    ValueMax,       // value-axis maximum, 0..10000000
    Divisions,      // value-axis divisions, 1..100
    PointCount,     // 1..100, makes point 0 current
    SeriesCount,    // 1..100, makes series 0 current
    CurrentSeries,  // out of range chooses 0
    CurrentPoint,   // out of range chooses 0
    SeriesColour,   // Windows colour value: red in the lowest byte
    Value,          // value of the current series at the current point
};
enum class ChartText { Title, XAxisTitle, YAxisTitle, SeriesName, PointLabel };

class Ui;
using Routine = std::function<void(Ui&)>;

class Ui {
public:
    virtual ~Ui() = default;

    // Control access.
    virtual std::string GetControlText(const std::string& control) = 0;
    virtual void SetControlText(const std::string& control, const std::string& text) = 0;
    virtual void SetControlVisible(const std::string& control, bool visible) = 0;
    virtual Bytes GetPictureBytes(const std::string& control) = 0;
    virtual void SetPictureBytes(const std::string& control, const Bytes& bytes) = 0;
    virtual int ComboSelectedIndex(const std::string& control) = 0;

    // List views; rows and columns from 0, row -1 is no row.
    virtual void ListClear(const std::string& list) = 0;
    virtual int ListAddRow(const std::string& list, std::optional<int> position,
                           std::optional<std::string> text) = 0;
    int ListAddRow(const std::string& list) { return ListAddRow(list, std::nullopt, std::nullopt); }
    virtual void ListSetCell(const std::string& list, int row, int column,
                             const std::string& text) = 0;
    virtual std::string ListGetCell(const std::string& list, int row, int column) = 0;
    virtual int ListSelectedRow(const std::string& list) = 0;
    virtual void ListSelectRow(const std::string& list, int row) = 0;
    virtual void ListEnsureVisible(const std::string& list, int row) = 0;

    // Menus: items by caption, top-level menus by caption.
    virtual void SetMenuItemVisible(const std::string& item, bool visible) = 0;
    virtual void PopUpMenu(const std::string& menu) = 0;

    // Windows.
    virtual void OpenWindow(const std::string& window, const std::string& owner) = 0;

    // Messages, clipboard, browser.
    void ShowMessage(const std::string& text) { ShowMessage(text, 0, "信息："); }
    virtual void ShowMessage(const std::string& text, int buttons, const std::string& caption) = 0;
    virtual void SetClipboardText(const std::string& text) = 0;
    virtual void OpenInBrowser(const std::string& address) = 0;

    // Responsiveness. In a job these are stop checks and interruptible sleeps.
    virtual void ProcessPendingEvents() = 0;
    virtual void PauseProcessingEvents(int milliseconds) = 0;

    // Workers.
    virtual WorkerHandle StartWorker(Routine routine) = 0;
    virtual void EndWorker(WorkerHandle handle) = 0;

    // The curve chart; each setting redraws at once.
    virtual void ChartSet(const std::string& chart, ChartNumber setting, double value) = 0;
    virtual void ChartSet(const std::string& chart, ChartText setting, const std::string& text) = 0;

    // The hidden browser box: load a page, read the loaded document's cookie text.
    virtual void BrowserLoad(const std::string& control, const std::string& address) = 0;
    virtual std::string BrowserCookie(const std::string& control) = 0;

    // Ends the program: no handler runs afterwards, workers are stopped.
    virtual void EndProgram() = 0;
};

// The worker-start toggle shared by the two start/stop buttons.
void ToggleWorker(Ui& ui, const std::string& button, const std::string& startCaption,
                  const std::string& stopCaption, WorkerHandle& handle, Routine routine);

}  // namespace quillet
