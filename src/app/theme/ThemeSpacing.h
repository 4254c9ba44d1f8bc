#pragma once

#include <QJsonObject>
#include <QMetaType>

namespace parley {

class JsonReader;

// How far apart chat rows are. Each case stands for a number of points: the
// gap between rows and the padding of the list and of each row. Inside a row
// the name line and the body are a quarter of that apart. Theme::Spacing.
class ThemeSpacing {
    Q_GADGET
    Q_PROPERTY(double points READ points CONSTANT)
    Q_PROPERTY(double nameToBodyPoints READ nameToBodyPoints CONSTANT)

public:
    enum class Case { custom, minimum, medium, large };

    static ThemeSpacing custom(double points) { return ThemeSpacing(Case::custom, points); }
    static ThemeSpacing minimum() { return ThemeSpacing(Case::minimum, 8.0); }
    static ThemeSpacing medium() { return ThemeSpacing(Case::medium, 16.0); }
    static ThemeSpacing large() { return ThemeSpacing(Case::large, 24.0); }

    ThemeSpacing() : ThemeSpacing(minimum()) { }

    Case kind() const { return case_; }
    double points() const { return points_; }
    double nameToBodyPoints() const { return points_ * 0.25; }

    // {"minimum":{}} or {"custom":{"_0":12}}.
    QJsonObject toJson() const;
    // Throws DecodingError for anything but exactly one known case.
    static ThemeSpacing fromJson(const JsonReader& json);

    friend bool operator==(const ThemeSpacing&, const ThemeSpacing&) = default;

private:
    ThemeSpacing(Case kind, double points) : case_(kind), points_(points) { }

    Case case_;
    double points_;
};

} // namespace parley

Q_DECLARE_METATYPE(parley::ThemeSpacing)
