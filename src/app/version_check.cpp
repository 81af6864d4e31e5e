#include "app/version_check.h"

#include "net/endpoints.h"
#include "net/web_access.h"

namespace quillet {

std::string PublishedVersion(std::string_view body) {
    return std::string(body.substr(0, body.find('\0')));
}

bool VersionIsCurrent(std::string_view body) {
    return PublishedVersion(body) == kOwnVersion;
}

void CheckVersionAtStart(Ui& ui) {
    // A failed request gives an empty body, which differs too: without the update host the
    // program ends as it does for a newer version.
    Bytes body = WebAccessInet(Endpoint("update") + "/yz/bb.txt");
    if (VersionIsCurrent(body)) {
        return;
    }
    ui.ShowMessage("请移步官网下载最新的系统", 0, "Velmara电商学院友情提示");
    ui.OpenInBrowser(Endpoint("home_page"));
    ui.EndProgram();
}

}  // namespace quillet
