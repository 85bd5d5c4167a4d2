#include "doubles/FakeWindowing.h"

#include <algorithm>
#include <initializer_list>
#include <stdexcept>
#include <utility>

namespace velt::test {

using platform::Ctl;

namespace {

constexpr const char* kNames[] = {"frmMain",   "cmdON",     "Command5",  "Command2",  "Frame1",
                                  "Frame2",    "Frame3",    "Frame4",    "Frame5",    "txtTime0",
                                  "txtTime1",  "Label1",    "Label2",    "Label3",    "Label4",
                                  "Label5",    "Label6",    "Label7",    "lblTIME",   "lblKAKU",
                                  "Option1_0", "Option1_1", "Option1_2", "optSTART0", "optSTART1"};
static_assert(std::size(kNames) == static_cast<std::size_t>(Ctl::Count));

const std::initializer_list<Ctl> kOption1 = {Ctl::Option1_0, Ctl::Option1_1, Ctl::Option1_2};
const std::initializer_list<Ctl> kOptStart = {Ctl::optSTART0, Ctl::optSTART1};

const std::initializer_list<Ctl>* GroupOf(Ctl c) {
    if (std::find(kOption1.begin(), kOption1.end(), c) != kOption1.end()) return &kOption1;
    if (std::find(kOptStart.begin(), kOptStart.end(), c) != kOptStart.end()) return &kOptStart;
    return nullptr;
}

}  // namespace

const char* CtlName(Ctl control) { return kNames[static_cast<std::size_t>(control)]; }

FakeWindowing::FakeWindowing(CallLog& log) : log_(log) {
    // The main window as it is created.
    (*this)[Ctl::Option1_0].value = true;
    (*this)[Ctl::Command5].enabled = false;
}

void FakeWindowing::SetCaption(Ctl control, std::string_view text) {
    log_.Add(std::string("SetCaption(") + CtlName(control) + "," + std::string(text) + ")");
    (*this)[control].caption = std::string(text);
}

std::string FakeWindowing::Caption(Ctl control) { return (*this)[control].caption; }

void FakeWindowing::SetEnabled(Ctl control, bool enabled) {
    log_.Add(std::string("SetEnabled(") + CtlName(control) + "," + (enabled ? "true" : "false") + ")");
    (*this)[control].enabled = enabled;
}

bool FakeWindowing::Enabled(Ctl control) { return (*this)[control].enabled; }

void FakeWindowing::SetFocus(Ctl control) {
    log_.Add(std::string("SetFocus(") + CtlName(control) + ")");
    focus = control;
}

bool FakeWindowing::Value(Ctl option) { return (*this)[option].value; }

void FakeWindowing::SetValue(Ctl option, bool selected) {
    log_.Add(std::string("SetValue(") + CtlName(option) + "," + (selected ? "true" : "false") + ")");
    if (selected) {
        if (const auto* group = GroupOf(option)) {
            for (Ctl c : *group)
                (*this)[c].value = false;
        }
    }
    (*this)[option].value = selected;
}

void FakeWindowing::SetListItem(Ctl combo, int index, std::string_view text) {
    auto& items = (*this)[combo].items;
    if (static_cast<std::size_t>(index) >= items.size()) items.resize(static_cast<std::size_t>(index) + 1);
    items[static_cast<std::size_t>(index)] = std::string(text);
}

std::string FakeWindowing::ComboText(Ctl combo) { return (*this)[combo].caption; }

bool FakeWindowing::SetComboText(Ctl combo, std::string_view text) {
    auto& c = (*this)[combo];
    if (std::find(c.items.begin(), c.items.end(), text) == c.items.end()) return false;
    c.caption = std::string(text);
    return true;
}

void FakeWindowing::SetTimerInterval(platform::Timer timer, std::uint32_t milliseconds) {
    const bool first = timer == platform::Timer::Timer1;
    log_.Add(std::string(first ? "Timer1" : "Timer2") + ".Interval=" + std::to_string(milliseconds));
    (first ? timer1 : timer2) = milliseconds;
}

void FakeWindowing::SetIconFromFile(const std::string& path) {
    log_.Add("SetIconFromFile(" + path + ")");
    if (missingFiles.count(path) != 0) throw platform::PlatformError("cannot load icon", path);
    iconPath = path;
    iconHandle = nextIcon_++;
    // The window lets its old icon go; whoever still holds it frees it last.
    heldIcon_ = std::shared_ptr<const void>(reinterpret_cast<const void*>(iconHandle),
                                            [this](const void* icon) { freedIcons.push_back(reinterpret_cast<platform::Handle>(icon)); });
}

void FakeWindowing::Show() {
    log_.Add("Show");
    visible = true;
}

void FakeWindowing::Hide() {
    log_.Add("Hide");
    visible = false;
}

void FakeWindowing::DoEvents() { log_.Add("DoEvents"); }

void FakeWindowing::SendTabKey() { log_.Add("SendTabKey"); }

int FakeWindowing::MsgBox(std::string_view text, unsigned style, std::string_view title) {
    log_.Add("MsgBox(" + std::string(text) + "|" + std::to_string(style) + "|" + std::string(title) + ")");
    messages.emplace_back(text);
    if (answers.empty()) return platform::IDOK;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

void FakeWindowing::SetMenuVisible(platform::MenuItem item, bool shown) {
    log_.Add("SetMenuVisible(" + std::to_string(static_cast<int>(item)) + "," + (shown ? "true" : "false") +
             ")");
    if (item == platform::MenuItem::mnuTray) trayMenuVisible = shown;
    if (menuRefused) throw std::runtime_error("cannot create the tray menu");
    menuFormLoaded = true;
}

void FakeWindowing::PopupTrayMenu() {
    log_.Add("PopupTrayMenu");
    if (menuRefused) throw std::runtime_error("cannot create the tray menu");
    menuFormLoaded = true;
    ++popups;
}

void FakeWindowing::RunTrayStep(std::uint32_t delayMs, std::function<bool()> step,
                                std::function<void(bool)> done) {
    waitingTrayStep = TrayStep{delayMs, std::move(step), std::move(done)};
    if (delayMs == 0) RunDueTrayStep();
}

void FakeWindowing::StopTraySteps(std::function<bool()> last) {
    waitingTrayStep.reset();
    if (last) last();
}

bool FakeWindowing::RunDueTrayStep() {
    if (!waitingTrayStep) return false;
    // Taken out first: the answer may hand over the next step.
    TrayStep due = std::move(*waitingTrayStep);
    waitingTrayStep.reset();
    due.done(due.step());
    return true;
}

void FakeWindowing::ShowAbout() {
    log_.Add("ShowAbout");
    if (!aboutOpen) {
        aboutOpen = true;
        ++aboutCreations;
        if (aboutEvents != nullptr) aboutEvents->Form_Load();
    }
}

void FakeWindowing::CloseAbout() {
    log_.Add("CloseAbout");
    aboutOpen = false;
}

void FakeWindowing::SetAboutCaption(platform::AboutCtl control, std::string_view text) {
    (control == platform::AboutCtl::frmAbout ? aboutTitle : aboutVersion) = std::string(text);
}

}  // namespace velt::test
