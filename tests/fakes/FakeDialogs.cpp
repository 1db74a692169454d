#include "fakes/FakeDialogs.h"

void FakeNativeDialog::RunModal() {
    ++modalRuns;
    if (modalLog) modalLog->push_back(spec);
    modal = true;
    visible = true;
    if (whileModal) whileModal(*this);
    modal = false;
    visible = false;
}

namespace {
class OwnedFakeNativeDialog : public FakeNativeDialog {
public:
    OwnedFakeNativeDialog(const NativeDialogDescription& spec, INativeDialogEvents* events,
                          FakeNativeDialog** slot)
        : FakeNativeDialog(spec, events), m_slot(slot) {}
    ~OwnedFakeNativeDialog() override { *m_slot = nullptr; }

private:
    FakeNativeDialog** m_slot;
};
}  // namespace

std::unique_ptr<INativeDialog> FakeNativeDialogFactory::Create(const NativeDialogDescription& spec,
                                                               INativeDialogEvents* events) {
    created.push_back(nullptr);
    auto dialog = std::make_unique<OwnedFakeNativeDialog>(spec, events, &created.back());
    created.back() = dialog.get();
    dialog->whileModal = whileModal;
    dialog->modalLog = &ranModal;
    return dialog;
}

MessageBoxAnswer FakeMessageBox::Show(const std::string& text, const std::string& title,
                                      MessageBoxButtons buttons, MessageBoxIcon icon) {
    shown.push_back({text, title, buttons, icon});
    if (whileOpen) whileOpen();
    if (!answers.empty()) {
        MessageBoxAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    return buttons == MessageBoxButtons::YesNo ? MessageBoxAnswer::Yes : MessageBoxAnswer::Ok;
}
