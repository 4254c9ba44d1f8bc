#pragma once

#include "app/ui/QmlScreen.h"
#include "app/ui/settings/PreferencesViewModel.h"

namespace parley {

class MessageListModel;
class ThemeModifier;
class ThemeSettings;

// The Settings window's content: the options on the left, a preview of sample
// chat on the right, both styled by the published theme. It starts from the
// stored options and hands every edit to `themeSettings`, which applies and
// stores them.
class PreferencesViewController : public QmlScreen {
    Q_OBJECT

public:
    // `overlayPreferences`, when given, is the chat overlay's section; the
    // screen takes it over.
    explicit PreferencesViewController(
        ThemeSettings& themeSettings, QObject* overlayPreferences = nullptr, QWidget* parent = nullptr);

    PreferencesViewModel& viewModel() { return *viewModel_; }

    // The screen's QML and the types it imports; safe to call repeatedly.
    static void registerTypes();

    // The window's fixed content size.
    static constexpr QSize contentSize { 825, 500 };

private:
    // Children made after the QML's widget, so they outlive the QML that
    // binds to them.
    ThemeModifier* themeModifier_;
    PreferencesViewModel* viewModel_;
    MessageListModel* previewModel_;
};

} // namespace parley
