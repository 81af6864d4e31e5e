#include "ui/ui.h"

namespace quillet {

void ToggleWorker(Ui& ui, const std::string& button, const std::string& startCaption,
                  const std::string& stopCaption, WorkerHandle& handle, Routine routine) {
    if (ui.GetControlText(button) == startCaption) {
        ui.SetControlText(button, stopCaption);
        handle = ui.StartWorker(std::move(routine));
    } else {
        ui.SetControlText(button, startCaption);
        ui.EndWorker(handle);
    }
}

}  // namespace quillet
