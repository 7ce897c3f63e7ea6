// The program: one window over the comparer, running until it is closed.
//
//   velmorin                              the window
//   velmorin --screenshot FILE [--compare]
//       shows the window, optionally runs "Compare" with the saved entries,
//       saves a picture of the window to FILE (PNG) and ends; the README's
//       picture is made this way.
#include "VelmorinForm.h"

#include <QApplication>
#include <QPixmap>
#include <QPushButton>
#include <QStringList>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmorin"));

    QString screenshot;
    bool compare = false;
    const QStringList args = QApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--screenshot") && i + 1 < args.size()) {
            screenshot = args[++i];
        } else if (args[i] == QLatin1String("--compare")) {
            compare = true;
        } else {
            std::fprintf(stderr, "usage: velmorin [--screenshot FILE [--compare]]\n");
            return 2;
        }
    }

    TForm1 form;
    form.show();

    int result = 0;
    if (!screenshot.isEmpty()) {
        QTimer::singleShot(300, &form, [&] {
            if (compare) form.BtnCompare->click();
            if (!form.grab().save(screenshot, "PNG")) {
                std::fprintf(stderr, "velmorin: cannot save %s\n", qPrintable(screenshot));
                result = 1;
            }
            form.close();
        });
    }
    const int code = app.exec();
    return result != 0 ? result : code;
}
