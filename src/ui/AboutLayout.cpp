#include "ui/AboutLayout.h"

#include <stdexcept>

namespace velt::ui {

const AboutControlLayout& Find(AboutControl control) {
    for (const AboutControlLayout& c : kAboutControls) {
        if (c.control == control) return c;
    }
    throw std::out_of_range("not a control of the About window");
}

}  // namespace velt::ui
