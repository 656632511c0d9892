// SPDX-License-Identifier: GPL-3.0-or-later
// xsrating-cli's figure (--plot) and table (--csv), run as a user would, with
// no display.
#include <QBuffer>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

#include "core/calibration/rating_analysis.h"
#include "core/hydraulics/rating.h"
#include "core/hydraulics/roughness_zones.h"
#include "core/input/zones_file.h"
#include "core/output/rating_heading.h"
#include "figure/figure_request.h"
#include "figure/svg_painter.h"
#include "tests/support/svg_text.h"

namespace xsrating {
namespace {

QByteArray Slurp(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct Outcome {
  int exit_code = -1;
  QStringList out;  // Lines of standard output.
  QString err;
};

}  // namespace

class CliPlotTest : public QObject {
  Q_OBJECT

 private:
  // Runs `program` in the temporary folder with no display of any kind and a
  // fixed date, plus `extra_env`.
  Outcome Run(const QStringList& args, const QStringList& extra_env = {},
              const QString& program = QStringLiteral(XSRATING_CLI)) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
      env.remove(QLatin1String(name));
    }
    env.insert(QStringLiteral("SOURCE_DATE_EPOCH"), QStringLiteral("0"));
    for (const QString& assignment : extra_env) {
      env.insert(assignment.section(QLatin1Char('='), 0, 0),
                 assignment.section(QLatin1Char('='), 1));
    }
    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(dir_.path());
    process.start(program, args);
    Outcome outcome;
    if (!process.waitForFinished(60000) ||
        process.exitStatus() != QProcess::NormalExit) {
      return outcome;
    }
    outcome.exit_code = process.exitCode();
    outcome.out = QString::fromUtf8(process.readAllStandardOutput())
                      .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    outcome.err = QString::fromUtf8(process.readAllStandardError());
    return outcome;
  }

  QString Path(const QString& name) const { return dir_.filePath(name); }

  // The files of the temporary folder, sorted.
  QStringList Files() const {
    return QDir(dir_.path()).entryList(QDir::Files, QDir::Name);
  }

  QTemporaryDir dir_;

  const QStringList kExample = {"-n", "0.025", "-s", "0.0004", "-m", "5"};

 private slots:
  void init() {
    QVERIFY(dir_.isValid());
    for (const QString& name : Files()) QVERIFY(QFile::remove(Path(name)));
    QVERIFY(QFile::copy(QStringLiteral(XSRATING_EXAMPLES "/v_section.txt"),
                        Path("v_section.txt")));
  }

  void svgAndCsvBesideTheResult() {
    const Outcome run =
        Run(kExample + QStringList{"--plot", "--csv", "v_section.txt"});
    QCOMPARE(run.exit_code, 0);
    QCOMPARE(run.err, QString());  // Qt stays quiet, too.
    // The result file first, then the table, then the figure.
    QCOMPARE(run.out,
             (QStringList{Path("v_section成果.txt"), Path("v_section成果.csv"),
                          Path("v_section成果.svg")}));
    QCOMPARE(Slurp(Path("v_section成果.csv")),
             Slurp(QStringLiteral(XSRATING_PLOT_TEST_DATA "/v_section.csv")));

    QString title;
    const QString text = SvgText(Slurp(Path("v_section成果.svg")), &title);
    QCOMPARE(title, QStringLiteral("v_section成果"));
    for (const char* expected :
         {"v_section　糙率 n = 0.025　比降 S = 0.0004", "河道大断面",
          "起点距 (m)", "高程 (m)", "河床", "较低堤顶 5 m",
          "过水断面（水位 5 m）", "水位流量关系曲线", "流量 (m³/s)", "水位 (m)",
          "水位流量关系", "计算点", "水位面积关系曲线", "面积 (m²)",
          "水位面积关系"}) {
      QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);
    }
  }

  // The command line draws the figure that the viewer saves for the same
  // inputs, byte for byte: the gaugings' charts included, under a heading
  // that names the survey.
  void sameFigureAsTheViewer_data() {
    QTest::addColumn<QString>("extra");  // An option that takes a file.
    QTest::addColumn<QString>("drawn");  // What only it draws.
    QTest::newRow("the table") << ""
                               << "";
    QTest::newRow("checked against gaugings") << "--gaugings"
                                              << "反推糙率";
    QTest::newRow("roughness zones") << "--zones"
                                     << "分区糙率 n = ";
  }

  void sameFigureAsTheViewer() {
    QFETCH(QString, extra);
    QFETCH(QString, drawn);
    for (const char* name : {"river_section.txt", "river_section_gaugings.txt",
                             "river_section_zones.txt"}) {
      QVERIFY(QFile::copy(QStringLiteral(XSRATING_EXAMPLES "/") + name,
                          Path(name)));
    }
    RunParameters params;
    params.data_file_path = Path("river_section.txt").toStdString();
    params.roughness = 0.03;
    params.slope_text = "0.0003";
    params.stage_count = 20;
    QStringList args{"-s", "0.0003", "-m", "20", "--plot"};
    if (extra == "--zones") {
      args << "--zones"
           << "river_section_zones.txt";
      QVERIFY(ReadRoughnessZones(Path("river_section_zones.txt").toStdString(),
                                 &params.zones)
                  .ok());
    } else {
      args << "-n"
           << "0.03";
    }
    if (extra == "--gaugings") {
      args << "--gaugings"
           << "river_section_gaugings.txt";
    }
    const Outcome run = Run(args << "river_section.txt");
    QCOMPARE(run.exit_code, 0);

    Rating rating;
    QVERIFY(ComputeRating(params, &rating).ok());
    RatingAnalysis analysis;
    if (extra == "--gaugings") {
      QVERIFY(AnalyzeGaugings(rating,
                              Path("river_section_gaugings.txt").toStdString(),
                              &analysis)
                  .ok());
    }
    const QByteArray figure = Slurp(Path("river_section成果.svg"));
    QCOMPARE(
        figure,
        QByteArray::fromStdString(figure::FigureSvg(figure::RequestForRating(
            rating, extra == "--gaugings" ? &analysis : nullptr,
            RatingHeading(params), "river_section成果"))));
    const QString text = SvgText(figure);
    for (const char* only : {"反推糙率", "分区糙率 n = "}) {
      QCOMPARE(text.contains(QString::fromUtf8(only)), drawn == only);
    }
  }

  void resultFileUnchangedByTheExtras() {
    QCOMPARE(Run(kExample + QStringList{"v_section.txt"}).exit_code, 0);
    const QByteArray plain = Slurp(Path("v_section成果.txt"));
    QVERIFY(!plain.isEmpty());
    QCOMPARE(Run(kExample + QStringList{"--plot=png", "--csv", "v_section.txt"})
                 .exit_code,
             0);
    QCOMPARE(Slurp(Path("v_section成果.txt")), plain);
  }

  void png() {
    const Outcome run =
        Run(kExample + QStringList{"--plot=png", "v_section.txt"});
    QCOMPARE(run.exit_code, 0);
    QCOMPARE(run.out, (QStringList{Path("v_section成果.txt"),
                                   Path("v_section成果.png")}));
    QImage image;
    QVERIFY(image.load(Path("v_section成果.png"), "PNG"));
    QCOMPARE(image.size(), QSize(1200, 944));  // The heading and 2 rows.
    // Drawn, with its water: some pixel is much bluer than it is red.
    bool blue = false;
    for (int y = 0; y < image.height() && !blue; y += 4) {
      for (int x = 0; x < image.width() && !blue; x += 4) {
        const QColor c = image.pixelColor(x, y);
        blue = c.blue() > c.red() + 60;
      }
    }
    QVERIFY(blue);
    QCOMPARE(Files(), (QStringList{"v_section.txt", "v_section成果.png",
                                   "v_section成果.txt"}));
  }

  void csvAndSvgNeedNoQt() {
    // A platform that does not exist would end any program that starts Qt.
    const Outcome run =
        Run(kExample + QStringList{"--csv", "--plot", "v_section.txt"},
            {"QT_QPA_PLATFORM=no-such-platform"});
    QCOMPARE(run.exit_code, 0);
    QCOMPARE(Files(), (QStringList{"v_section.txt", "v_section成果.csv",
                                   "v_section成果.svg", "v_section成果.txt"}));
  }

  void failures_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exit_code");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown figure format")
        << QStringList{"-n", "0.025", "-s",         "0.0004",
                       "-m", "5",     "--plot=gif", "v_section.txt"}
        << 2 << "--plot";
    QTest::newRow("failed run writes no extras")
        << QStringList{"-n", "0",      "-s",    "0.0004",       "-m",
                       "5",  "--plot", "--csv", "v_section.txt"}
        << 1 << "糙率";
  }

  void failures() {
    QFETCH(QStringList, args);
    QFETCH(int, exit_code);
    QFETCH(QString, message);
    const Outcome run = Run(args);
    QCOMPARE(run.exit_code, exit_code);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QVERIFY(run.out.isEmpty());
    QCOMPARE(Files(), QStringList{"v_section.txt"});
  }

  // What is at a side file's name is replaced only when this program wrote
  // it; anything else stays as it was, and the message names the kind.
  void sideFilesReplaceOnlyOurs_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("existing");  // Empty: an earlier run's.
    QTest::addColumn<QString>("kind");         // Empty: replaced.
    QByteArray plain_png;                      // A PNG without our mark.
    QBuffer buffer(&plain_png);
    QVERIFY(buffer.open(QIODevice::WriteOnly));
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    QVERIFY(image.save(&buffer, "PNG"));
    const QStringList csv = {"--csv"};
    const QStringList report = {"--gaugings", "g.txt"};
    QTest::newRow("our table")
        << csv << "v_section成果.csv" << QByteArray() << "";
    QTest::newRow("someone's table")
        << csv << "v_section成果.csv" << QByteArray("水位,流量\r\n1,2\r\n")
        << "表格";
    QTest::newRow("our header without the byte-order mark")
        << csv << "v_section成果.csv"
        << QByteArray("水位,面积,湿周,水力半径,水面宽,平均流速,流量\r\n")
        << "表格";
    QTest::newRow("our report")
        << report << "v_section率定.csv" << QByteArray() << "";
    QTest::newRow("someone's report")
        << report << "v_section率定.csv" << QByteArray("\xEF\xBB\xBF备注\r\n")
        << "率定表";
    QTest::newRow("our SVG")
        << QStringList{"--plot"} << "v_section成果.svg" << QByteArray() << "";
    QTest::newRow("someone's SVG")
        << QStringList{"--plot"} << "v_section成果.svg"
        << QByteArray("<?xml version=\"1.0\"?>\n<svg><desc>map</desc></svg>")
        << "图";
    QTest::newRow("our PNG") << QStringList{"--plot=png"} << "v_section成果.png"
                             << QByteArray() << "";
    QTest::newRow("someone's PNG") << QStringList{"--plot=png"}
                                   << "v_section成果.png" << plain_png << "图";
  }

  void sideFilesReplaceOnlyOurs() {
    QFETCH(QStringList, options);
    QFETCH(QString, name);
    QFETCH(QByteArray, existing);
    QFETCH(QString, kind);
    QFile gaugings(Path("g.txt"));
    QVERIFY(gaugings.open(QIODevice::WriteOnly));
    gaugings.write("2.5,54.8820294890058\r\n");
    gaugings.close();
    if (existing.isEmpty()) {
      // An earlier run with another stage count wrote it.
      const Outcome earlier =
          Run(QStringList{"-n", "0.025", "-s", "0.0004", "-m", "4"} + options +
              QStringList{"v_section.txt"});
      QCOMPARE(earlier.exit_code, 0);
      existing = Slurp(Path(name));
    } else {
      QFile file(Path(name));
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write(existing);
    }
    const Outcome run = Run(kExample + options + QStringList{"v_section.txt"});
    if (kind.isEmpty()) {
      QCOMPARE(run.exit_code, 0);
      QVERIFY(Slurp(Path(name)) != existing);
      return;
    }
    QCOMPARE(run.exit_code, 1);
    QVERIFY2(
        run.err.contains(Path(name) +
                         QStringLiteral("”已经存在，但它不是本程序的") + kind),
        qPrintable(run.err));
    QCOMPARE(Slurp(Path(name)), existing);
  }

  void pngNeedsTheModuleBesideTheProgram() {
    // The program alone, without the figure module that is built beside it.
    QTemporaryDir bin;
    QVERIFY(bin.isValid());
    const QString program =
        bin.filePath(QFileInfo(QStringLiteral(XSRATING_CLI)).fileName());
    QVERIFY(QFile::copy(QStringLiteral(XSRATING_CLI), program));
    QVERIFY(QFile::setPermissions(
        program, QFile::permissions(QStringLiteral(XSRATING_CLI))));
    const QString module =
        QDir(QFileInfo(bin.path()).canonicalFilePath())
            .filePath(QStringLiteral(XSRATING_FIGURE_MODULE_FILE));

    const Outcome plot =
        Run(kExample + QStringList{"--plot=png", "--csv", "v_section.txt"}, {},
            program);
    QCOMPARE(plot.exit_code, 2);
    QVERIFY2(
        plot.err.contains(QStringLiteral("找不到绘图模块“%1”").arg(module)),
        qPrintable(plot.err));
    // Refused before any run: not even the result file is written.
    QVERIFY(plot.out.isEmpty());
    QCOMPARE(Files(), QStringList{"v_section.txt"});

    // Everything else works without it, the SVG figure included.
    const Outcome csv =
        Run(kExample + QStringList{"--csv", "--plot", "v_section.txt"}, {},
            program);
    QCOMPARE(csv.exit_code, 0);
    QCOMPARE(csv.err, QString());
    QCOMPARE(Files(), (QStringList{"v_section.txt", "v_section成果.csv",
                                   "v_section成果.svg", "v_section成果.txt"}));
  }

  void everySurveyGetsItsOwn() {
    QVERIFY(QFile::copy(Path("v_section.txt"), Path("second.txt")));
    const Outcome run =
        Run(kExample +
            QStringList{"--csv", "v_section.txt", "missing.txt", "second.txt"});
    QCOMPARE(run.exit_code, 1);  // missing.txt fails; the others go on.
    QVERIFY(run.err.contains(QStringLiteral("missing.txt")));
    QCOMPARE(Slurp(Path("second成果.csv")), Slurp(Path("v_section成果.csv")));
    QCOMPARE(run.out.size(), 4);
  }
};

}  // namespace xsrating

QTEST_MAIN(xsrating::CliPlotTest)
#include "cli_plot_test.moc"
