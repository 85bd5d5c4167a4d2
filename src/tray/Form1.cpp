#include "tray/Form1.h"

#include "common/Texts.h"
#include "tray/Module1.h"

namespace velt {

void Form1::mnuOpen_Click() { ui_.Show(); }

void Form1::mnuClose_Click() {
    if (ui_.MsgBox(texts::kConfirmExit, platform::MB_OKCANCEL, texts::kAppTitle) == platform::IDOK) {
        Module1::RemoveTrayIcon(tray_);
        api_.ExitProcess(0);
    }
}

void Form1::mnuweb_Click() { api_.OpenWebPage(texts::kMakerUrl); }

void Form1::mnuVer_Click() { ui_.ShowAbout(); }

}  // namespace velt
