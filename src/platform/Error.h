#pragma once

#include <QString>

#include <exception>

namespace parley {

// Base of every error an asynchronous operation fails with (through
// QPromise::setException). It carries the error's standard description, the
// text a log line or a developer tool shows; text meant for users comes only
// from ErrorPresenter.
class Error : public std::exception {
public:
    explicit Error(QString description) : description_(std::move(description)), utf8_(description_.toUtf8()) { }

    const QString& description() const noexcept { return description_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString description_;
    QByteArray utf8_;
};

// The description of any exception pointer, for logging and tools.
inline QString describe(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const Error& e) {
        return e.description();
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}

} // namespace parley
