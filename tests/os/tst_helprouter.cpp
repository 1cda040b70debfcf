#include "platform/core/Exception.h"
#include "platform/os/HelpRouter.h"
#include "platform/os/Shell.h"

#include <QtTest>

class TestHelpRouter : public QObject
{
    Q_OBJECT

private:
    FakeShell* m_shell = nullptr;
    std::unique_ptr<QTemporaryDir> m_dir;

    QString helpFile() const { return m_dir->path() + QStringLiteral("/Help/Ferngrove.chm"); }
    void writeHelpFile()
    {
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("Help")));
        QFile file(helpFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("ITSF");
    }
    // The message showHelp throws, or an empty text when it throws nothing.
    static QString errorOf(const HelpRouter& router, int context)
    {
        try {
            router.showHelp(context);
        } catch (const Exception& e) {
            return e.message();
        }
        return {};
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_shell = new FakeShell;
        m_shell->setDefaultResult(ShellResult::Started);
        setShell(m_shell);
    }

    void cleanup()
    {
        setShell(nullptr);
        delete m_shell;
        m_shell = nullptr;
        m_dir.reset();
    }

    void shouldStartWithTheDesignSettings()
    {
        HelpRouter router;
        QVERIFY(router.helpFile().isEmpty());
        QCOMPARE(router.helpType(), HelpType::WinHelp);
        QVERIFY(!router.validateId());
        router.setHelpType(HelpType::HtmlHelp);
        router.setCshelpFile(QStringLiteral("CSHelp.txt"));
        QCOMPARE(router.helpType(), HelpType::HtmlHelp);
        QCOMPARE(router.cshelpFile(), QStringLiteral("CSHelp.txt"));
    }

    void shouldOpenTheHelpFileInTheFirstViewerFound_data()
    {
        QTest::addColumn<QStringList>("installed");
        QTest::addColumn<QString>("expectedViewer");
        QTest::newRow("xchm") << QStringList{"xchm"} << "/usr/bin/xchm";
        QTest::newRow("kchmviewer") << QStringList{"kchmviewer"} << "/usr/bin/kchmviewer";
        QTest::newRow("chmsee") << QStringList{"chmsee"} << "/usr/bin/chmsee";
        QTest::newRow("xchm before kchmviewer") << QStringList{"kchmviewer", "xchm"} << "/usr/bin/xchm";
    }

    void shouldOpenTheHelpFileInTheFirstViewerFound()
    {
        QFETCH(QStringList, installed);
        QFETCH(QString, expectedViewer);
        writeHelpFile();
        for (const QString& name : installed)
            m_shell->addProgram(name, QStringLiteral("/usr/bin/") + name);
        HelpRouter router;
        router.setHelpFile(helpFile());
        router.setHelpType(HelpType::HtmlHelp);
        QCOMPARE(errorOf(router, 100), QString());
        QCOMPARE(m_shell->calls().size(), 1);
        QCOMPARE(m_shell->calls().first().fileName, expectedViewer);
        QCOMPARE(m_shell->calls().first().parameters, helpFile());
        QCOMPARE(m_shell->calls().first().showCommand, int(ShowCommand::ShowNormal));
    }

    void shouldSayWhatIsMissing_data()
    {
        QTest::addColumn<bool>("fileThere");
        QTest::addColumn<bool>("viewerThere");
        QTest::addColumn<int>("viewerResult");
        QTest::addColumn<QString>("message");
        QTest::newRow("no help file")
            << false << true << int(ShellResult::Started) << "The help file '%1' was not found.";
        QTest::newRow("no viewer")
            << true << false << int(ShellResult::Started)
            << "No help viewer is installed to show '%1' (for example xchm or kchmviewer).";
        QTest::newRow("viewer fails") << true << true << int(ShellResult::OutOfResources)
                                      << "The help viewer '/usr/bin/xchm' could not be started to show '%1'.";
    }

    void shouldSayWhatIsMissing()
    {
        QFETCH(bool, fileThere);
        QFETCH(bool, viewerThere);
        QFETCH(int, viewerResult);
        QFETCH(QString, message);
        if (fileThere)
            writeHelpFile();
        if (viewerThere)
            m_shell->addProgram(QStringLiteral("xchm"), QStringLiteral("/usr/bin/xchm"));
        m_shell->setDefaultResult(viewerResult);
        HelpRouter router;
        router.setHelpFile(helpFile());
        QCOMPARE(errorOf(router, 100), message.arg(helpFile()));
    }

    void shouldRefuseAnEmptyHelpFileName()
    {
        m_shell->addProgram(QStringLiteral("xchm"), QStringLiteral("/usr/bin/xchm"));
        HelpRouter router;
        QCOMPARE(errorOf(router, 100), QStringLiteral("The help file '' was not found."));
        QVERIFY(m_shell->calls().isEmpty());
    }

    void shouldRefuseAFolderNamedLikeTheHelpFile()
    {
        QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("Help/Ferngrove.chm")));
        m_shell->addProgram(QStringLiteral("xchm"), QStringLiteral("/usr/bin/xchm"));
        HelpRouter router;
        router.setHelpFile(helpFile());
        QCOMPARE(errorOf(router, 100), QStringLiteral("The help file '%1' was not found.").arg(helpFile()));
    }
};

QTEST_GUILESS_MAIN(TestHelpRouter)
#include "tst_helprouter.moc"
