#include "platform/os/Shell.h"

#include <QtTest>

namespace {

// Writes a script that records its arguments, one a line, into outFile once it has run.
QString writeRecorder(const QString& folder, const QString& name, const QString& outFile)
{
    const QString path = folder + QLatin1Char('/') + name;
    QFile script(path);
    if (!script.open(QIODevice::WriteOnly))
        return {};
    script.write("#!/bin/sh\n");
    script.write("printf '%s\\n' \"$PWD\" \"$@\" > \"" + outFile.toUtf8() + ".tmp\"\n");
    script.write("/bin/mv \"" + outFile.toUtf8() + ".tmp\" \"" + outFile.toUtf8() + "\"\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

// The lines a recorder wrote: its working folder, then its arguments.
QStringList recorded(const QString& outFile)
{
    QFile file(outFile);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

class TestShell : public QObject
{
    Q_OBJECT

private:
    QByteArray m_path;
    std::unique_ptr<QTemporaryDir> m_dir;

    QString folder() const { return m_dir->path(); }
    QString out() const { return folder() + QStringLiteral("/out.txt"); }
    // Only the test folder on the search path (no real viewers are found).
    void searchOnlyTestFolder() { qputenv("PATH", QFile::encodeName(folder() + QStringLiteral("/bin"))); }
    QString bin() const { return folder() + QStringLiteral("/bin"); }

private slots:
    void init()
    {
        m_path = qgetenv("PATH");
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        QVERIFY(QDir(folder()).mkdir(QStringLiteral("bin")));
    }

    void cleanup()
    {
        qputenv("PATH", m_path);
        m_dir.reset();
        setShell(nullptr);
    }

    void shouldFailForAProgramThatDoesNotExist_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("directory");
        QTest::addColumn<int>("expected");
        QTest::newRow("unknown name") << "no-such-program-xyz" << QString() << int(ShellResult::FileNotFound);
        QTest::newRow("unknown path") << "/no/such/program" << QString() << int(ShellResult::FileNotFound);
        QTest::newRow("empty name") << QString() << QString() << int(ShellResult::FileNotFound);
        QTest::newRow("missing folder") << "true"
                                        << "/no/such/folder" << int(ShellResult::PathNotFound);
    }

    void shouldFailForAProgramThatDoesNotExist()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, directory);
        QFETCH(int, expected);
        LinuxShell linuxShell;
        const int result = linuxShell.execute(fileName, QString(), directory, ShowCommand::ShowNormal);
        QCOMPARE(result, expected);
        QVERIFY(result <= 32);
    }

    void shouldStartAProgramFoundOnThePath_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::newRow("by name") << "true";
        QTest::newRow("by absolute path") << "/bin/true";
    }

    void shouldStartAProgramFoundOnThePath()
    {
        QFETCH(QString, fileName);
        LinuxShell linuxShell;
        QVERIFY(linuxShell.execute(fileName, QString(), QString(), ShowCommand::ShowNormal) > 32);
    }

    void shouldPassParametersAndFolder_data()
    {
        QTest::addColumn<QString>("parameters");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("none") << QString() << QStringList();
        // Only double quotes group words, as on a Windows command line.
        QTest::newRow("split like a command line")
            << "-a 'b c' \"d e\" f" << QStringList{"-a", "'b", "c'", "d e", "f"};
        QTest::newRow("150 characters whole")
            << QString(150, QLatin1Char('x')) << QStringList{QString(150, QLatin1Char('x'))};
    }

    void shouldPassParametersAndFolder()
    {
        QFETCH(QString, parameters);
        QFETCH(QStringList, arguments);
        QVERIFY(!writeRecorder(bin(), QStringLiteral("recorder"), out()).isEmpty());
        searchOnlyTestFolder();
        LinuxShell linuxShell;
        QVERIFY(linuxShell.execute(QStringLiteral("recorder"), parameters, folder(),
                                   ShowCommand::ShowNormal) > 32);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(out()), 10000);
        QCOMPARE(recorded(out()), QStringList{QDir(folder()).canonicalPath()} + arguments);
    }

    void shouldPassAnExistingFileWithBlanksAsOneArgument()
    {
        const QString pdf = folder() + QStringLiteral("/My plans/Trip to Rome.pdf");
        QVERIFY(QDir(folder()).mkdir(QStringLiteral("My plans")));
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QCOMPARE(LinuxShell::splitParameters(pdf, QString()), QStringList{pdf});
        QCOMPARE(LinuxShell::splitParameters(QStringLiteral("My plans/Trip to Rome.pdf"), folder()),
                 QStringList{QStringLiteral("My plans/Trip to Rome.pdf")});
        QCOMPARE(
            LinuxShell::splitParameters(folder() + QStringLiteral("/Missing file.pdf"), QString()).size(), 2);
    }

    void shouldStartAProgramByARelativePathInTheFolder()
    {
        QVERIFY(!writeRecorder(folder(), QStringLiteral("local"), out()).isEmpty());
        LinuxShell linuxShell;
        QVERIFY(linuxShell.execute(QStringLiteral("./local"), QStringLiteral("one"), folder(),
                                   ShowCommand::ShowNormal) > 32);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(out()), 10000);
        QCOMPARE(recorded(out()).value(1), QStringLiteral("one"));
    }

    void shouldRecognisePdfReaderNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("reader");
        QTest::newRow("Acrord32") << "Acrord32" << true;
        QTest::newRow("ACRORD32.EXE") << "ACRORD32.EXE" << true;
        QTest::newRow("acrobat") << "acrobat" << true;
        QTest::newRow("evince") << "evince" << false;
        QTest::newRow("Acrobat Reader") << "Acrobat Reader" << false;
    }

    void shouldRecognisePdfReaderNames()
    {
        QFETCH(QString, name);
        QFETCH(bool, reader);
        QCOMPARE(LinuxShell::isPdfReaderName(name), reader);
    }

    void shouldOpenAPdfInAKnownViewer_data()
    {
        QTest::addColumn<QString>("readerName");
        QTest::newRow("Acrord32") << "Acrord32";
        QTest::newRow("Acrobat") << "Acrobat";
    }

    void shouldOpenAPdfInAKnownViewer()
    {
        QFETCH(QString, readerName);
        const QString pdf = folder() + QStringLiteral("/Trip plan.pdf");
        QFile(pdf).open(QIODevice::WriteOnly);
        QVERIFY(!writeRecorder(bin(), QStringLiteral("okular"), out()).isEmpty());
        searchOnlyTestFolder();
        LinuxShell linuxShell;
        QVERIFY(linuxShell.execute(readerName, pdf, QString(), ShowCommand::ShowNormal) > 32);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(out()), 10000);
        QCOMPARE(recorded(out()).mid(1), QStringList{pdf});
    }

    void shouldOpenAPdfThroughTheDesktopsRegisteredViewer()
    {
        const QString pdf = folder() + QStringLiteral("/Trip plan.pdf");
        QFile(pdf).open(QIODevice::WriteOnly);
        QVERIFY(!writeRecorder(bin(), QStringLiteral("xdg-open"), out()).isEmpty());
        QVERIFY(!writeRecorder(bin(), QStringLiteral("evince"), folder() + QStringLiteral("/evince.txt"))
                     .isEmpty());
        QFile query(bin() + QStringLiteral("/xdg-mime"));
        QVERIFY(query.open(QIODevice::WriteOnly));
        query.write("#!/bin/sh\necho org.example.Viewer.desktop\n");
        query.close();
        query.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        searchOnlyTestFolder();
        LinuxShell linuxShell;
        QVERIFY(linuxShell.execute(QStringLiteral("Acrord32"), pdf, QString(), ShowCommand::ShowNormal) > 32);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(out()), 10000);
        QCOMPARE(recorded(out()).mid(1), QStringList{pdf});
        QVERIFY(!QFileInfo::exists(folder() + QStringLiteral("/evince.txt")));
    }

    void shouldFailForAPdfReaderWhenNoViewerIsInstalled()
    {
        const QString pdf = folder() + QStringLiteral("/Trip plan.pdf");
        QFile(pdf).open(QIODevice::WriteOnly);
        searchOnlyTestFolder();
        LinuxShell linuxShell;
        QCOMPARE(linuxShell.execute(QStringLiteral("Acrord32"), pdf, QString(), ShowCommand::ShowNormal),
                 int(ShellResult::FileNotFound));
        QCOMPARE(linuxShell.execute(QStringLiteral("Acrobat"), pdf, QString(), ShowCommand::ShowNormal),
                 int(ShellResult::FileNotFound));
    }

    void shouldPreferAProgramNamedLikeTheReaderInAnyCase()
    {
        QVERIFY(!writeRecorder(bin(), QStringLiteral("acrord32"), out()).isEmpty());
        searchOnlyTestFolder();
        LinuxShell linuxShell;
        QCOMPARE(linuxShell.findProgram(QStringLiteral("Acrord32")), bin() + QStringLiteral("/acrord32"));
        QVERIFY(linuxShell.execute(QStringLiteral("Acrord32"), QStringLiteral("x"), QString(),
                                   ShowCommand::ShowNormal) > 32);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(out()), 10000);
    }

    void shouldOpenADocumentWithTheDesktopOpener()
    {
        const QString document = folder() + QStringLiteral("/notes.txt");
        QFile(document).open(QIODevice::WriteOnly);
        searchOnlyTestFolder();
        LinuxShell linuxShell;
        QCOMPARE(linuxShell.execute(document, QString(), QString(), ShowCommand::ShowNormal),
                 int(ShellResult::NoAssociation));
        QVERIFY(!writeRecorder(bin(), QStringLiteral("xdg-open"), out()).isEmpty());
        QVERIFY(linuxShell.execute(document, QString(), QString(), ShowCommand::ShowNormal) > 32);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(out()), 10000);
        QCOMPARE(recorded(out()).mid(1), QStringList{document});
    }

    void shouldRecordCallsAndAnswerFromItsTable()
    {
        FakeShell fake;
        fake.setResult(QStringLiteral("Acrobat"), 42);
        fake.addProgram(QStringLiteral("xchm"), QStringLiteral("/usr/bin/xchm"));
        QCOMPARE(fake.execute(QStringLiteral("Acrord32"), QStringLiteral("a.pdf"), QString(), 1),
                 int(ShellResult::FileNotFound));
        QCOMPARE(fake.execute(QStringLiteral("ACROBAT"), QStringLiteral("a.pdf"), QStringLiteral("/tmp"), 3),
                 42);
        fake.setDefaultResult(0);
        QCOMPARE(fake.execute(QStringLiteral("other"), QString(), QString(), 0), 0);
        QCOMPARE(fake.calls().size(), 3);
        QCOMPARE(fake.calls().at(1).fileName, QStringLiteral("ACROBAT"));
        QCOMPARE(fake.calls().at(1).parameters, QStringLiteral("a.pdf"));
        QCOMPARE(fake.calls().at(1).directory, QStringLiteral("/tmp"));
        QCOMPARE(fake.calls().at(1).showCommand, 3);
        QCOMPARE(fake.findProgram(QStringLiteral("xchm")), QStringLiteral("/usr/bin/xchm"));
        QVERIFY(fake.findProgram(QStringLiteral("kchmviewer")).isEmpty());
    }

    void shouldPutAnInstanceInForceAndBack()
    {
        FakeShell fake;
        setShell(&fake);
        QCOMPARE(&shell(), static_cast<Shell*>(&fake));
        setShell(nullptr);
        QVERIFY(dynamic_cast<LinuxShell*>(&shell()));
    }
};

QTEST_GUILESS_MAIN(TestShell)
#include "tst_shell.moc"
