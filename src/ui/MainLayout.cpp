#include "ui/MainLayout.h"

#include <algorithm>
#include <stdexcept>

namespace velt::ui {

namespace {

void AppendFocusOrder(Ctl parent, std::vector<Ctl>& order) {
    for (const MainControl* c : ChildrenInTabOrder(parent)) {
        if (c->kind == Kind::Frame) {
            AppendFocusOrder(c->ctl, order);
        } else if (TakesFocus(c->kind)) {
            order.push_back(c->ctl);
        }
    }
}

}  // namespace

const MainControl& Find(Ctl control) {
    for (const MainControl& c : kMainControls) {
        if (c.ctl == control) return c;
    }
    throw std::out_of_range("not a control of the main window");
}

std::vector<const MainControl*> ChildrenInTabOrder(Ctl parent) {
    // Tab positions are small numbers: taking them in turn keeps equal ones in table order, with
    // less code than a sort.
    int first = 0, last = 0;
    for (const MainControl& c : kMainControls) {
        first = std::min(first, c.tab);
        last = std::max(last, c.tab);
    }
    std::vector<const MainControl*> children;
    for (int tab = first; tab <= last; ++tab) {
        for (const MainControl& c : kMainControls) {
            if (c.parent == parent && c.tab == tab) children.push_back(&c);
        }
    }
    return children;
}

std::vector<Ctl> FocusOrder() {
    std::vector<Ctl> order;
    AppendFocusOrder(Ctl::frmMain, order);
    return order;
}

TwipsRect RectInWindow(Ctl control) {
    TwipsRect r = Find(control).rect;
    for (Ctl p = Find(control).parent; p != Ctl::frmMain; p = Find(p).parent) {
        r.left += Find(p).rect.left;
        r.top += Find(p).rect.top;
    }
    return r;
}

std::vector<Ctl> OptionGroup(Ctl option) {
    std::vector<Ctl> group;
    const MainControl* self = nullptr;
    for (const MainControl& c : kMainControls) {
        if (c.ctl == option) self = &c;
    }
    if (self == nullptr || self->kind != Kind::OptionButton) return group;
    for (const MainControl* c : ChildrenInTabOrder(self->parent)) {
        if (c->kind == Kind::OptionButton) group.push_back(c->ctl);
    }
    return group;
}

std::string CaptionsShown(const MainControl& control) {
    switch (control.ctl) {
    case Ctl::lblTIME:
    case Ctl::Label7: return "88:88:88";
    case Ctl::txtTime0:
    case Ctl::txtTime1: return "88";
    case Ctl::lblKAKU: {
        // The status sentence of the longest action, or the text of none registered.
        std::string widest = texts::kNotRegistered;
        for (const char* action : texts::kActionNames) {
            std::string sentence =
                std::string(" ") + action + texts::kSentenceObject + "88:88" + texts::kSentenceTail;
            if (sentence.size() > widest.size()) widest = std::move(sentence);
        }
        return widest;
    }
    default: return control.text;
    }
}

}  // namespace velt::ui
