#include "ui/frmAbout.h"

#include <string>

#include "common/Texts.h"

namespace velt {

void frmAbout::Form_Load() {
    ui_.SetAboutCaption(platform::AboutCtl::frmAbout,
                        std::string(texts::kAppTitle) + texts::kAboutTitleSuffix);
    // Name and numbers come from the executable's version resource; the build number is not shown.
    const platform::VersionInfo version = api_.GetOwnVersionInfo();
    ui_.SetAboutCaption(platform::AboutCtl::lblVersion,
                        version.productName + texts::kVersionWord + std::to_string(version.major) + "." +
                            std::to_string(version.minor) + "." + std::to_string(version.revision));
}

void frmAbout::cmdOK_Click() { ui_.CloseAbout(); }

void frmAbout::Label2_Click() { api_.OpenWebPage(texts::kMakerUrl); }

}  // namespace velt
