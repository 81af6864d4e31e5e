#include "fake_ui.h"

#include <stdexcept>

#include "app/window_table.h"

namespace quillet {

namespace {

void addWindow(const WindowDef& window, const std::string& prefix,
               std::map<std::string, int>& kinds, std::map<std::string, std::string>& texts,
               std::map<std::string, bool>& visible, std::map<std::string, int>& columns,
               std::map<std::string, int>& entries) {
    texts[std::string(window.name)] = std::string(window.title);
    kinds[std::string(window.name)] = -1;
    visible[std::string(window.name)] = true;
    for (const ControlDef& def : window.controls) {
        std::string name = prefix + std::string(def.name);
        kinds[name] = static_cast<int>(def.kind);
        texts[name] = std::string(def.text);
        visible[name] = def.visible;
        columns[name] = static_cast<int>(def.columns.size());
        entries[name] = static_cast<int>(def.entries.size());
    }
}

}  // namespace

FakeUi::FakeUi(const EventTable* events) : events_(events) {
    std::map<std::string, int> kinds, columns, entries;
    std::map<std::string, std::string> texts;
    std::map<std::string, bool> visible;
    addWindow(mainWindowDef(), "", kinds, texts, visible, columns, entries);
    addWindow(imageBrowserWindowDef(), std::string(imageBrowserWindowDef().name) + "/", kinds,
              texts, visible, columns, entries);
    for (const auto& [name, kind] : kinds) {
        Control& c = controls_[name];
        c.kind = kind;
        c.text = texts[name];
        c.visible = visible[name];
        c.columns = columns[name];
        c.entries = entries[name];
    }
    for (const MenuDef& menu : mainWindowDef().menus) {
        auto& items = menus_[std::string(menu.caption)];
        for (auto item : menu.items) {
            items.emplace_back(item);
            menuItems_[std::string(item)] = true;
        }
    }
}

FakeUi::~FakeUi() {
    workers_.stopAll();
}

FakeUi::Control& FakeUi::control(const std::string& name) {
    auto it = controls_.find(name);
    if (it == controls_.end()) {
        throw std::logic_error("FakeUi: no control named \"" + name + "\"");
    }
    return it->second;
}

const FakeUi::Control& FakeUi::control(const std::string& name) const {
    return const_cast<FakeUi*>(this)->control(name);
}

FakeUi::Control& FakeUi::list(const std::string& name) {
    Control& c = control(name);
    if (c.kind != static_cast<int>(ControlKind::ListView)) {
        throw std::logic_error("FakeUi: \"" + name + "\" is not a list view");
    }
    return c;
}

void FakeUi::checkStop() const {
    if (JobState* job = CurrentJob()) {
        job->check();
    }
}

void FakeUi::record(std::string entry) {
    log_.push_back(std::move(entry));
}

bool FakeUi::fire(const std::string& control, Event event) {
    const Routine* handler = events_ ? events_->find(control, event) : nullptr;
    if (!handler) {
        return false;
    }
    (*handler)(*this);
    return true;
}

void FakeUi::type(const std::string& name, const std::string& text) {
    std::lock_guard lock(mutex_);
    control(name).text = text;
}

void FakeUi::chooseComboEntry(const std::string& combo, int index) {
    {
        std::lock_guard lock(mutex_);
        Control& c = control(combo);
        if (c.kind != static_cast<int>(ControlKind::ComboBox)) {
            throw std::logic_error("FakeUi: \"" + combo + "\" is not a combo box");
        }
        c.selected = index >= 0 && index < c.entries ? index : -1;
    }
    fire(combo, Event::Chosen);
}

void FakeUi::setNextMenuChoice(const std::string& item) {
    std::lock_guard lock(mutex_);
    if (!menuItems_.count(item)) {
        throw std::logic_error("FakeUi: no menu item \"" + item + "\"");
    }
    nextMenuChoice_ = item;
}

void FakeUi::setBrowserCookie(const std::string& cookie) {
    std::lock_guard lock(mutex_);
    browserCookie_ = cookie;
}

std::vector<FakeUi::Message> FakeUi::messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
}
std::vector<FakeUi::Popup> FakeUi::popups() const {
    std::lock_guard lock(mutex_);
    return popups_;
}
std::vector<std::string> FakeUi::clipboard() const {
    std::lock_guard lock(mutex_);
    return clipboard_;
}
std::vector<std::string> FakeUi::openedAddresses() const {
    std::lock_guard lock(mutex_);
    return opened_;
}
std::vector<std::string> FakeUi::openedWindows() const {
    std::lock_guard lock(mutex_);
    return windows_;
}
std::vector<std::string> FakeUi::browserLoads() const {
    std::lock_guard lock(mutex_);
    return browserLoads_;
}
std::vector<std::string> FakeUi::log() const {
    std::lock_guard lock(mutex_);
    return log_;
}
std::vector<int> FakeUi::pauses() const {
    std::lock_guard lock(mutex_);
    return pauses_;
}
int FakeUi::pendingEventCalls() const {
    std::lock_guard lock(mutex_);
    return pendingEventCalls_;
}
bool FakeUi::visible(const std::string& name) const {
    std::lock_guard lock(mutex_);
    return control(name).visible;
}
bool FakeUi::menuItemVisible(const std::string& item) const {
    std::lock_guard lock(mutex_);
    auto it = menuItems_.find(item);
    if (it == menuItems_.end()) {
        throw std::logic_error("FakeUi: no menu item \"" + item + "\"");
    }
    return it->second;
}
int FakeUi::rowCount(const std::string& name) const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(const_cast<FakeUi*>(this)->list(name).rows.size());
}
std::vector<std::string> FakeUi::row(const std::string& name, int row) const {
    std::lock_guard lock(mutex_);
    const Control& c = const_cast<FakeUi*>(this)->list(name);
    if (row < 0 || row >= static_cast<int>(c.rows.size())) {
        return {};
    }
    return c.rows[static_cast<size_t>(row)];
}
ChartModel FakeUi::chart() const {
    std::lock_guard lock(mutex_);
    return chart_;
}
bool FakeUi::ended() const {
    std::lock_guard lock(mutex_);
    return ended_;
}

std::string FakeUi::GetControlText(const std::string& name) {
    checkStop();
    std::lock_guard lock(mutex_);
    return control(name).text;
}

void FakeUi::SetControlText(const std::string& name, const std::string& text) {
    checkStop();
    std::lock_guard lock(mutex_);
    control(name).text = text;
    record("SetControlText " + name + "=" + text);
}

void FakeUi::SetControlVisible(const std::string& name, bool visible) {
    checkStop();
    std::lock_guard lock(mutex_);
    control(name).visible = visible;
    record("SetControlVisible " + name + "=" + (visible ? "1" : "0"));
}

Bytes FakeUi::GetPictureBytes(const std::string& name) {
    checkStop();
    std::lock_guard lock(mutex_);
    return control(name).picture;
}

void FakeUi::SetPictureBytes(const std::string& name, const Bytes& bytes) {
    checkStop();
    std::lock_guard lock(mutex_);
    control(name).picture = bytes;
    record("SetPictureBytes " + name + "=" + std::to_string(bytes.size()));
}

int FakeUi::ComboSelectedIndex(const std::string& name) {
    checkStop();
    std::lock_guard lock(mutex_);
    return control(name).selected;
}

void FakeUi::ListClear(const std::string& name) {
    checkStop();
    std::lock_guard lock(mutex_);
    Control& c = list(name);
    c.rows.clear();
    c.selected = -1;
    record("ListClear " + name);
}

int FakeUi::ListAddRow(const std::string& name, std::optional<int> position,
                       std::optional<std::string> text) {
    checkStop();
    std::lock_guard lock(mutex_);
    Control& c = list(name);
    int count = static_cast<int>(c.rows.size());
    int at = position && *position >= 0 && *position < count ? *position : count;
    std::vector<std::string> cells(static_cast<size_t>(c.columns));
    if (text && !cells.empty()) {
        cells[0] = *text;
    }
    c.rows.insert(c.rows.begin() + at, std::move(cells));
    if (c.selected >= at) {
        ++c.selected;
    }
    record("ListAddRow " + name + " " + std::to_string(at));
    return at;
}

void FakeUi::ListSetCell(const std::string& name, int row, int column, const std::string& text) {
    checkStop();
    std::lock_guard lock(mutex_);
    Control& c = list(name);
    if (row < 0 || row >= static_cast<int>(c.rows.size()) || column < 0 || column >= c.columns) {
        return;
    }
    c.rows[static_cast<size_t>(row)][static_cast<size_t>(column)] = text;
}

std::string FakeUi::ListGetCell(const std::string& name, int row, int column) {
    checkStop();
    std::lock_guard lock(mutex_);
    Control& c = list(name);
    if (row < 0 || row >= static_cast<int>(c.rows.size()) || column < 0 || column >= c.columns) {
        return {};
    }
    return c.rows[static_cast<size_t>(row)][static_cast<size_t>(column)];
}

int FakeUi::ListSelectedRow(const std::string& name) {
    checkStop();
    std::lock_guard lock(mutex_);
    return list(name).selected;
}

void FakeUi::ListSelectRow(const std::string& name, int row) {
    checkStop();
    std::lock_guard lock(mutex_);
    Control& c = list(name);
    if (row >= -1 && row < static_cast<int>(c.rows.size())) {
        c.selected = row;
    }
}

void FakeUi::ListEnsureVisible(const std::string& name, int) {
    checkStop();
    std::lock_guard lock(mutex_);
    list(name);
}

void FakeUi::SetMenuItemVisible(const std::string& item, bool visible) {
    checkStop();
    std::lock_guard lock(mutex_);
    auto it = menuItems_.find(item);
    if (it == menuItems_.end()) {
        throw std::logic_error("FakeUi: no menu item \"" + item + "\"");
    }
    it->second = visible;
}

void FakeUi::PopUpMenu(const std::string& menu) {
    checkStop();
    std::optional<std::string> choice;
    {
        std::lock_guard lock(mutex_);
        auto it = menus_.find(menu);
        if (it == menus_.end()) {
            throw std::logic_error("FakeUi: no menu \"" + menu + "\"");
        }
        Popup popup{menu, {}};
        for (const auto& item : it->second) {
            if (menuItems_[item]) {
                popup.visibleItems.push_back(item);
            }
        }
        if (nextMenuChoice_) {
            for (const auto& item : popup.visibleItems) {
                if (item == *nextMenuChoice_) {
                    choice = item;
                }
            }
        }
        nextMenuChoice_.reset();
        popups_.push_back(std::move(popup));
    }
    if (choice) {
        fire(*choice, Event::Chosen);
    }
}

void FakeUi::OpenWindow(const std::string& window, const std::string&) {
    checkStop();
    {
        std::lock_guard lock(mutex_);
        control(window);
        windows_.push_back(window);
        // A new window starts from its table again.
        const WindowDef& def = imageBrowserWindowDef();
        if (window == def.name) {
            controls_[window].text = std::string(def.title);
            for (const ControlDef& c : def.controls) {
                Control& ctl = controls_[window + "/" + std::string(c.name)];
                ctl.text = std::string(c.text);
                ctl.picture.clear();
            }
        }
    }
    fire(window, Event::Created);
}

void FakeUi::ShowMessage(const std::string& text, int buttons, const std::string& caption) {
    checkStop();
    JobState* job = CurrentJob();
    std::lock_guard lock(mutex_);
    messages_.push_back({text, buttons, caption, job && job->kind() == JobState::Kind::Worker});
}

void FakeUi::SetClipboardText(const std::string& text) {
    checkStop();
    std::lock_guard lock(mutex_);
    clipboard_.push_back(text);
}

void FakeUi::OpenInBrowser(const std::string& address) {
    checkStop();
    std::lock_guard lock(mutex_);
    opened_.push_back(address);
}

void FakeUi::ProcessPendingEvents() {
    checkStop();
    std::lock_guard lock(mutex_);
    ++pendingEventCalls_;
}

void FakeUi::PauseProcessingEvents(int milliseconds) {
    {
        std::lock_guard lock(mutex_);
        pauses_.push_back(milliseconds);
    }
    // Inline handlers do not really wait; workers do, so that stopping them can be tested.
    if (JobState* job = CurrentJob()) {
        job->sleepFor(milliseconds);
    }
}

WorkerHandle FakeUi::StartWorker(Routine routine) {
    checkStop();
    return workers_.start(JobState::Kind::Worker,
                          [this, routine = std::move(routine)](JobState&) { routine(*this); });
}

void FakeUi::EndWorker(WorkerHandle handle) {
    workers_.stop(handle);
}

void FakeUi::ChartSet(const std::string& name, ChartNumber setting, double value) {
    checkStop();
    std::lock_guard lock(mutex_);
    control(name);
    chart_.set(setting, value);
}

void FakeUi::ChartSet(const std::string& name, ChartText setting, const std::string& text) {
    checkStop();
    std::lock_guard lock(mutex_);
    control(name);
    chart_.set(setting, text);
}

void FakeUi::BrowserLoad(const std::string& name, const std::string& address) {
    checkStop();
    std::lock_guard lock(mutex_);
    control(name);
    browserLoads_.push_back(address);
}

std::string FakeUi::BrowserCookie(const std::string& name) {
    checkStop();
    std::lock_guard lock(mutex_);
    control(name);
    return browserLoads_.empty() ? std::string() : browserCookie_;
}

void FakeUi::EndProgram() {
    {
        std::lock_guard lock(mutex_);
        ended_ = true;
    }
    // Stopping from inside a worker would join itself; only flag the others then.
    if (!CurrentJob()) {
        workers_.stopAll();
    }
}

}  // namespace quillet
