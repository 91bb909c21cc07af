#pragma once

// The assistant as a test runs it: messages and file dialogs answered from queues, scripts sent
// to a record file (or to whatever transport the test gives), windows offscreen.

#include "app/Application.h"
#include "dialogs/Desktop.h"
#include "dialogs/MessageService.h"
#include "link/CadLink.h"

#include <QFile>
#include <QTemporaryDir>

#include <string>
#include <vector>

struct Shell
{
    explicit Shell(quendra::TransportFactory transports = {})
        : app(messages,
              transports ? std::move(transports) : recordTo(dir.filePath(QStringLiteral("sent.txt"))),
              desktop)
    {
    }

    static quendra::TransportFactory recordTo(const QString &path)
    {
        const std::string file = path.toStdString();
        return [file] { return quendra::makeRecordTransport(file); };
    }

    // Everything the record transport received, as one string.
    QByteArray sent() const
    {
        QFile f(dir.filePath(QStringLiteral("sent.txt")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    std::vector<std::string> messageTexts() const
    {
        std::vector<std::string> out;
        for (const auto &r : messages.history())
            out.push_back(r.message.text);
        return out;
    }

    QTemporaryDir dir;
    quendra::MessageService messages{false};
    quendra::Desktop desktop{false};
    quendra::Application app;
};
