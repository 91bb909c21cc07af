#pragma once

#include "link/SymbolFrame.h"

#include <QObject>
#include <QString>

#include <functional>

class QLocalServer;

namespace quendra {

// Where a host reaches the running assistant to draw one of its symbols again: one Edit frame
// per connection (link/SymbolFrame.h), answered "OK" once the form is open, "NG reason" when not.
class SymbolEditListener : public QObject
{
    Q_OBJECT

public:
    // Opens the form of the frame with its inputs: an empty string, or why it could not.
    using Editor = std::function<QString(const SymbolFrame &)>;

    explicit SymbolEditListener(Editor editor, QObject *parent = nullptr);
    ~SymbolEditListener() override;

    // False when another assistant of this user already listens (it gets the requests) or the
    // socket folder is not safe to use.
    bool listen();

private:
    void answer();

    Editor editor_;
    QLocalServer *server_ = nullptr;
};

} // namespace quendra
