#pragma once

#include "qc_plugininterface.h"

#include <QObject>

#include <memory>

namespace bridge {

class Bridge;

// The plugin LibreCAD loads: its menu entry under Plugins switches the bridge on and off; a second
// action, taken out of the menu, is the bridge's own way into a plugin call (see Bridge).
class QuendraPlugin : public QObject, public QC_PluginInterface
{
    Q_OBJECT
    Q_INTERFACES(QC_PluginInterface)
    Q_PLUGIN_METADATA(IID LC_DocumentInterface_iid)

public:
    QuendraPlugin();
    ~QuendraPlugin() override;

    QString name() const override;
    PluginCapabilities getCapabilities() const override;
    void execComm(Document_Interface *doc, QWidget *parent, QString cmd) override;

private:
    Bridge *bridge();

    std::unique_ptr<Bridge> bridge_;
};

} // namespace bridge
