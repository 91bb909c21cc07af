#include "symbols/Forms.h"
#include "symbols/elements/ElementForms.h"

#include <QTest>

using namespace quendra;

class TestElementForms : public QObject
{
    Q_OBJECT

private slots:
    // The main window enables an entry by its form name: the group is registered in menu order.
    void registeredInMenuOrder()
    {
        std::vector<std::string> names;
        for (const FormDefinition *f : elementForms()) {
            names.push_back(f->name);
            QCOMPARE(findForm(f->name), f);
        }
        QCOMPARE(names, (std::vector<std::string>{"tourisin", "zumenwaku", "hasira", "kabe", "tategukigou",
                                                  "reberu"}));
    }
};

QTEST_GUILESS_MAIN(TestElementForms)
#include "TestElementForms.moc"
