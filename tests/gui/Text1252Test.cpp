#include <QTest>

#include "gui/Text1252.h"

using namespace vorne;

class Text1252Test : public QObject {
  Q_OBJECT

 private slots:
  void everyByteSurvivesARoundTrip() {
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    QCOMPARE(FromQt(ToQt(all)), all);
  }

  void windowsCharactersMapToTheirUnicode() {
    QCOMPARE(ToQt("\x80 \x93x\x94 \x96 \xA7"), QString::fromUtf8("€ “x” – §"));
    QCOMPARE(FromQt(QString::fromUtf8("€ “x” – § é")), std::string("\x80 \x93x\x94 \x96 \xA7 \xE9"));
  }

  void charactersOutsideTheCodePageBecomeQuestionMarks() {
    QCOMPARE(FromQt(QString::fromUtf8("a\u4E2Db\U0001F600c")), std::string("a?b?c"));
  }
};

QTEST_APPLESS_MAIN(Text1252Test)
#include "Text1252Test.moc"
