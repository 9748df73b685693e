#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

namespace trovel::testing {

// A temporary home folder: HOME, and XDG_CONFIG_HOME as its ".config", point
// to it while the object lives.
class TFakeHome final
{
public:
    TFakeHome()
        : FOldHome(qgetenv("HOME")), FOldConfig(qgetenv("XDG_CONFIG_HOME")),
          FHadConfig(qEnvironmentVariableIsSet("XDG_CONFIG_HOME"))
    {
        qputenv("HOME", QFile::encodeName(Path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(Folder(QStringLiteral(".config"))));
    }

    ~TFakeHome()
    {
        qputenv("HOME", FOldHome);
        if (FHadConfig)
            qputenv("XDG_CONFIG_HOME", FOldConfig);
        else
            qunsetenv("XDG_CONFIG_HOME");
    }

    TFakeHome(const TFakeHome &) = delete;
    TFakeHome &operator=(const TFakeHome &) = delete;

    bool IsValid() const { return FDir.isValid(); }
    QString Path() const { return FDir.path(); }
    // Makes the folder Relative below home, with its parents; its path.
    QString Folder(const QString &Relative) const
    {
        const QString made = Path() + u'/' + Relative;
        QDir().mkpath(made);
        return made;
    }

private:
    QTemporaryDir FDir;
    QByteArray FOldHome;
    QByteArray FOldConfig;
    bool FHadConfig;
};

} // namespace trovel::testing
