#pragma once

#include "app/ui/ThemeModifier.h"
#include "app/ui/settings/PreferencesViewModel.h"

#include <QQuickWidget>

namespace parley {

class MessageListModel;
class ThemeSettings;

// The Settings window's content: the options on the left, a preview of sample
// chat on the right, both styled by the published theme. It starts from the
// stored options and hands every edit to `themeSettings`, which applies and
// stores them.
class PreferencesViewController : public QQuickWidget {
    Q_OBJECT

public:
    explicit PreferencesViewController(ThemeSettings& themeSettings, QWidget* parent = nullptr);
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
