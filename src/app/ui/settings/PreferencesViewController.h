#pragma once

#include "app/ui/ThemeModifier.h"
#include "app/ui/settings/PreferencesViewModel.h"

#include <QQuickWidget>

class QSettings;

namespace parley {

class ApplicationController;
class MessageListModel;

// The Settings window's content: the options on the left, a preview of sample
// chat on the right, both styled by the application controller's theme. It
// starts from the options stored in `userDefaults` and hands every edit to
// the controller, which applies and stores them.
class PreferencesViewController : public QQuickWidget {
    Q_OBJECT

public:
    PreferencesViewController(ApplicationController& appController, QSettings& userDefaults, QWidget* parent = nullptr);
    ~PreferencesViewController() override;

    PreferencesViewModel& viewModel() { return viewModel_; }

    // The window's fixed content size.
    static constexpr QSize contentSize { 825, 500 };

private:
    ThemeModifier themeModifier_;
    PreferencesViewModel viewModel_;
    MessageListModel* previewModel_;
};

} // namespace parley
