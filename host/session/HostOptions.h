#pragma once

#include "cad/model/Entity.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

namespace host {

// What quendra-host was started with.
struct HostOptions
{
    bool headless = false;
    QString out;                   // --out: the DXF written on EXIT, SIGTERM and after a replay
    std::vector<cad::Point> picks; // --pick X,Y: the answers to ID, in order
    std::optional<int> color;      // --color N: the answer to DDCOLOR
    QStringList replays;           // --replay FILE: script files run at start
    bool exitAfterReplay = false;
    bool verbose = false;                            // headless: the command history on standard output
    std::vector<std::pair<QString, QString>> served; // service and topic, the default first
    QString open;                                    // a DXF file to open at start
    bool recover = false; // --recover: a file cut short is opened as far as it can be read
    // Headless: pictures of the whole drawing written when the program ends, as the window's
    // SVG and PNG export writes them.
    QString png;
    QString svg;
    // Headless: the fitting schedule written as CSV when the program ends.
    QString schedule;
    // --wall-openings on|off: fittings set into their walls (壁に納める), on by default.
    bool wallOpenings = true;
    // Headless: the plot written when the program ends, as the window's 印刷 writes it.
    struct Plot
    {
        QString pdf;
        QString scale; // "1:100"; "" the default
        QString paper; // "A3"; "" the default
        bool portrait = false;
        bool black = false;
    } plot;

    // Reads the arguments; false with a message (in Japanese) for the user when they are wrong.
    static bool parse(const QStringList &arguments, HostOptions &options, QString *message);
};

} // namespace host
