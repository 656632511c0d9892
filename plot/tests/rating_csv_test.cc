// SPDX-License-Identifier: GPL-3.0-or-later
// The hydraulic table as a spreadsheet file, and the names of the files
// beside a result file.
#include "plot/rating_csv.h"

#include <QTest>
#include <string>

#include "core/hydraulic_table.h"

namespace xsrating {

class RatingCsvTest : public QObject {
  Q_OBJECT

 private slots:
  void number_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole") << 100.0 << "100";
    QTest::newRow("two decimals") << 8.47 << "8.47";
    QTest::newRow("zero before the point") << 0.025 << "0.025";
    QTest::newRow("negative") << -2.5 << "-2.5";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("negative zero") << -0.0 << "0";
    // 100.69 is not exact in binary; the sum lands beside it.
    QTest::newRow("rounded to 15 digits") << 100 + 3 * 0.23 << "100.69";
    QTest::newRow("15 digits kept")
        << 10 + 2 * 2.2360679774997896964 << "14.4721359549996";
    QTest::newRow("16th digit rounds")
        << 123456789012345.6 << "123456789012346";
    QTest::newRow("smallest plain") << 0.0001 << "0.0001";
    QTest::newRow("small takes an exponent") << 0.00001 << "1e-05";
    QTest::newRow("large takes an exponent") << 1.5e16 << "1.5e+16";
    QTest::newRow("negative exponent form") << -2e-7 << "-2e-07";
  }

  void number() {
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdString(CsvNumber(value)), text);
  }

  void tableWithoutRows() {
    QCOMPARE(RatingTableCsv({}),
             std::string("\xEF\xBB\xBF"
                         "水位,面积,湿周,水力半径,水面宽,平均流速,流量\r\n"));
  }

  void rowHoldsItsSevenValuesInOrder() {
    const HydraulicRow row{101.5, 2, 3.25, 0.5, 7, 0.125, 0.25};
    QCOMPARE(RatingTableCsv({&row, 1}),
             std::string("\xEF\xBB\xBF"
                         "水位,面积,湿周,水力半径,水面宽,平均流速,流量\r\n"
                         "101.5,2,3.25,0.5,7,0.125,0.25\r\n"));
  }

  void filePath_data() {
    QTest::addColumn<QString>("survey");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("path");
    QTest::newRow("Windows folder") << "D:\\data\\sec1.txt"
                                    << ".csv"
                                    << "D:\\data\\sec1成果.csv";
    QTest::newRow("capital extension dropped") << "/home/a/SEC2.TXT"
                                               << ".svg"
                                               << "/home/a/SEC2成果.svg";
    QTest::newRow("Chinese names") << "/测站/断面1.txt"
                                   << ".png"
                                   << "/测站/断面1成果.png";
    QTest::newRow("dots in the name") << "/data/v.1.txt"
                                      << ".csv"
                                      << "/data/v.1成果.csv";
  }

  void filePath() {
    QFETCH(QString, survey);
    QFETCH(QString, extension);
    QFETCH(QString, path);
    QCOMPARE(QString::fromStdString(
                 RatingFilePath(survey.toStdString(), extension.toStdString())),
             path);
  }
};

}  // namespace xsrating

QTEST_APPLESS_MAIN(xsrating::RatingCsvTest)
#include "rating_csv_test.moc"
