// vardelo: the script reader and writer of the editor, from a terminal.
#include "catalogues/acts.h"
#include "catalogues/facts.h"
#include "catalogues/params.h"
#include "catalogues/prepross.h"
#include "catalogues/records.h"
#include "catalogues/vocabulary.h"
#include "document/ai.h"
#include "document/blocks.h"
#include "document/problems.h"
#include "document/scriptdocument.h"
#include "files/saveopen.h"
#include "lsp/lspserver.h"
#include "shell/fileservices.h"
#include "shell/pluginfolder.h"
#include "vardeloversion.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QSaveFile>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <thread>

namespace {

const char Usage[] =
    "Usage: vardelo COMMANDE ...\n"
    "\n"
    "  rows FILE            lit FILE comme \"Ouvrir\" et affiche une ligne par ligne de script:\n"
    "                       le type de ligne, une tabulation, le texte affiché (UTF-8)\n"
    "  write ROWS           lit des lignes de script sous cette même forme (UTF-8, \"-\" pour\n"
    "                       l'entrée standard) et affiche les octets qu'écrirait l'enregistrement\n"
    "  format FILE [-o OUT] affiche (ou écrit dans OUT) le script mis en forme par l'éditeur:\n"
    "                       chaque partie du script écrite comme l'éditeur l'écrit une fois\n"
    "                       modifiée (même codage et mêmes fins de ligne que FILE), sauf\n"
    "                       celles dont cette écriture changerait le contenu, laissées telles quelles\n"
    "  check FILE           indique si la mise en forme de l'éditeur conserverait le contenu de\n"
    "                       chaque partie du script et nomme celles dont elle changerait le\n"
    "                       contenu; code de sortie 0 si oui, 1 sinon; signale aussi les blocs\n"
    "                       non fermés (avertissements sur la sortie d'erreur)\n"
    "  lint FILE...         vérifie chaque script, et chaque script qu'il charge, selon le\n"
    "                       vocabulaire des catalogues, comme partie de son IA (le script qui\n"
    "                       le charge est cherché dans son dossier et ceux au-dessus; les\n"
    "                       constantes sont celles de tous les fichiers de l'IA) et affiche\n"
    "                       chaque problème sous la forme FILE:LIGNE: erreur: message (ou\n"
    "                       attention:), fichiers dans l'ordre donné; code de sortie 0 sans\n"
    "                       erreur, 1 s'il y en a, 2 si un fichier ou les catalogues n'ont pas\n"
    "                       pu être lus\n"
    "  lsp                  serveur de langage (Language Server Protocol) sur l'entrée et la\n"
    "                       sortie standard, pour les éditeurs de texte: problèmes, complétion,\n"
    "                       survol, définitions, plan et mise en forme; le dossier des\n"
    "                       catalogues vient de l'option d'initialisation \"catalogues\", sinon\n"
    "                       de --catalogues, sinon ceux du plugin\n"
    "\n"
    "  --catalogues DIR     (lint, lsp) le dossier des quatre catalogues; par défaut ceux du plugin\n"
    "  -h, --help           affiche cette aide\n"
    "  -v, --version        affiche la version de vardelo\n"
    "\n"
    "Code de sortie 2 en cas d'erreur (fichier absent ou illisible, arguments incorrects,\n"
    "sortie standard impossible à écrire).\n";

int fail(const QString &message)
{
    std::fputs(message.toUtf8().constData(), stderr);
    std::fputc('\n', stderr);
    return 2;
}

bool failed(QString &error, const QString &message)
{
    error = message;
    return false;
}

int usageError(const QString &message)
{
    return fail(message + QStringLiteral("\nVoir: vardelo --help"));
}

// Standard output: the first failed write is kept, later writes are skipped,
// and the final flush says whether everything reached its destination.
int outputError = 0; // errno of the first failure, or 0

bool writeOut(QByteArrayView bytes)
{
    if (outputError != 0)
        return false;
    if (bytes.isEmpty()) // a file without problems: fwrite is given no null pointer
        return true;
    errno = 0;
    if (std::fwrite(bytes.data(), 1, size_t(bytes.size()), stdout) != size_t(bytes.size()))
        outputError = errno != 0 ? errno : EIO;
    return outputError == 0;
}

bool flushOut()
{
    errno = 0;
    if (outputError == 0 && (std::fflush(stdout) != 0 || std::ferror(stdout)))
        outputError = errno != 0 ? errno : EIO;
    return outputError == 0;
}

bool outputFailed(QString &error)
{
    error = QStringLiteral("Impossible d'écrire sur la sortie standard: %1")
                .arg(FileServices::reasonInFrench(QString(), outputError));
    return false;
}

// The commands return whether they succeeded; on failure, error holds the
// French message and the exit status is 2.

bool rowsCommand(const QString &path, QString &error)
{
    ScriptDocument document;
    if (!document.open(path, error, false))
        return false;
    QString out;
    for (const ScriptLine &l : document.rows().lines()) {
        out += kindTag(l.kind);
        out += QLatin1Char('\t');
        out += l.text;
        out += QLatin1Char('\n');
        if (out.size() > (1 << 15)) { // in chunks: the listing is never held whole
            if (!writeOut(out.toUtf8()))
                return outputFailed(error);
            out.clear();
        }
    }
    writeOut(out.toUtf8());
    return true;
}

bool writeCommand(const QString &path, QString &error)
{
    QByteArray bytes;
    if (path == QLatin1String("-")) {
        QFile in;
        in.open(stdin, QIODevice::ReadOnly);
        if (const int r = FileServices::readAtMost(in, bytes); r != 0)
            return failed(error, r > 0 ? QStringLiteral("Impossible de lire l'entrée standard: elle dépasse 1 Go.")
                                       : QStringLiteral("Impossible de lire l'entrée standard: %1")
                                             .arg(FileServices::reasonInFrench(in.errorString(), errno)));
    } else if (!FileServices::readFileBytes(path, bytes, error)) {
        return false;
    }
    const QString text = QString::fromUtf8(bytes);
    std::vector<ScriptLine> rows;
    int number = 0;
    for (QStringView line : FileServices::splitLines(text)) {
        ++number;
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        if (tab < 0)
            return failed(error, QStringLiteral("%1, ligne %2: il manque la tabulation entre le type de ligne et le texte.")
                                     .arg(path, QString::number(number)));
        const LineKind kind = kindFromTag(line.left(tab));
        if (kind == LineKind::Unknown)
            return failed(error, QStringLiteral("%1, ligne %2: type de ligne inconnu \"%3\".")
                                     .arg(path, QString::number(number), line.left(tab).toString()));
        rows.push_back(ScriptLine{line.mid(tab + 1).toString(), 0, kind});
    }
    SaveOpen::SaveText saved;
    if (!SaveOpen::buildScriptBytes(rows, ScriptSource(), saved, error, true))
        return false;
    writeOut(saved.bytes);
    return true;
}

bool formatCommand(const QString &path, const QString &out, QString &error)
{
    // The file is mapped rather than read: a formatter's time goes mostly to
    // touching memory.
    QFile file;
    if (!FileServices::openForReading(file, path, error))
        return false;
    QByteArray copy;
    QByteArrayView input;
    if (file.size() > 0) {
        if (const uchar *m = file.map(0, file.size()))
            input = QByteArrayView(m, file.size());
        else
            input = copy = file.read(file.size());
    }

    QSaveFile target(out);
    if (!out.isEmpty() && !target.open(QIODevice::WriteOnly))
        return failed(error, QStringLiteral("Impossible d'écrire le fichier \"%1\": %2").arg(out, FileServices::reasonInFrench(target.errorString(), errno)));
    const auto write = [&](QByteArrayView chunk) {
        if (out.isEmpty())
            return writeOut(chunk);
        return target.write(chunk.data(), chunk.size()) == chunk.size();
    };
    QString problem;
    const bool formatted = SaveOpen::formatScriptBytes(input, write, problem);
    if (out.isEmpty() && outputError != 0)
        return outputFailed(error);
    if (!formatted) {
        if (!out.isEmpty())
            target.cancelWriting();
        return failed(error, QStringLiteral("Impossible de mettre en forme \"%1\": %2").arg(path, problem));
    }
    if (!out.isEmpty() && !target.commit())
        return failed(error, QStringLiteral("Impossible d'enregistrer le fichier \"%1\": %2").arg(out, FileServices::reasonInFrench(target.errorString(), errno)));
    return true;
}

// faithful: whether the editor's layout keeps the content of every part.
bool checkCommand(const QString &path, bool &faithful, QString &error)
{
    ScriptDocument document;
    if (!document.open(path, error))
        return false;
    // Unbalanced blocks are warnings: the status stays about the content.
    const std::vector<ScriptLine> &rows = document.rows().lines();
    QString warnings;
    for (const Blocks::Diagnostic &d : document.rows().structure().diagnostics)
        warnings += QStringLiteral("%1:%2: attention: %3\n")
                        .arg(path, QString::number(rows[size_t(d.row - 1)].line), Blocks::describe(d));
    std::fputs(warnings.toUtf8().constData(), stderr);
    const QString report = SaveOpen::keptFormsReport(document.source());
    faithful = report.isEmpty();
    if (faithful)
        writeOut(QStringLiteral("%1: le formatage conserve le contenu de chaque partie du script.\n").arg(path).toUtf8());
    else
        writeOut((path + QStringLiteral(": ") + report + QLatin1Char('\n')).toUtf8());
    return true;
}

// Why the script at path cannot be linted, "" when it can.
QString unreadableScript(const QString &path)
{
    QFile f;
    QString error;
    return FileServices::openForReading(f, path, error) ? QString() : error;
}

// The problems of each script, judged as part of its AI (the scripts that
// load it, and those it loads), each file once, the files given first in
// their order, each followed by the files it loads; the files are checked on
// every core. A last line on standard error counts them. unread tells
// whether some file could not be read.
bool lintCommand(const QStringList &paths, const QString &catalogues, bool &clean, bool &unread, QString &error)
{
    const QString missing = Vocabulary::unreadable(catalogues);
    if (!missing.isEmpty())
        return failed(error, missing);
    PluginFolder::setPath(catalogues);
    Catalogues::clearProblems();
    const Vocabulary vocabulary = Vocabulary::loadCatalogues();
    if (Facts::FactCount == 0 || Acts::ActCount == 0)
        return failed(error, QStringLiteral("Impossible de lire les catalogues de « %1 »: %2").arg(catalogues, Catalogues::problemsMessage()));
    Problems::Counts total;
    QString catalogueLines;
    for (const Catalogues::LineProblem &p : Catalogues::lineProblems()) {
        catalogueLines += QStringLiteral("%1:%2: attention: %3\n")
                              .arg(QDir(catalogues).filePath(p.fileName), QString::number(p.line), p.problem);
        ++total.warnings;
    }
    if (Catalogues::problems().size() > qsizetype(Catalogues::lineProblems().size()))
        std::fputs((Catalogues::problemsMessage() + QLatin1Char('\n')).toUtf8().constData(), stderr);
    if (!writeOut(catalogueLines.toUtf8()))
        return outputFailed(error);

    QStringList readable;
    QHash<QString, QString> shownAs; // a file given: named as given
    for (const QString &p : paths) {
        const QString why = unreadableScript(p);
        if (!why.isEmpty()) {
            std::fputs((why + QLatin1Char('\n')).toUtf8().constData(), stderr);
            unread = true;
            continue;
        }
        readable << p;
        shownAs.insert(Ai::canonical(p), p);
    }
    const std::shared_ptr<const Ai> ai = Ai::of(readable);
    const std::vector<int> files = ai->reached(readable);

    struct Result {
        QString text;   // the problems, one per line
        QString failed; // why the file could not be read
        Problems::Counts counts;
    };
    std::vector<Result> results(files.size());
    std::atomic<size_t> next = 0;
    const auto work = [&] {
        for (size_t i = next++; i < files.size(); i = next++) {
            Result &r = results[i];
            const Ai::File &file = ai->files()[size_t(files[i])];
            QByteArray bytes;
            if (!file.error.isEmpty() || !FileServices::readFileBytes(file.path, bytes, r.failed)) {
                r.failed = file.error.isEmpty() ? r.failed : file.error;
                continue;
            }
            const std::vector<ScriptLine> rows = SaveOpen::readScriptBytes(std::move(bytes), false).rows;
            const QString name = shownAs.value(file.path, QDir::current().relativeFilePath(file.path));
            const std::vector<Problems::Problem> found =
                Problems::analyse(rows, Blocks::analyse(rows), ai->context(files[i], &vocabulary));
            for (const Problems::Problem &p : found)
                r.text += QStringLiteral("%1:%2: %3: %4\n")
                              .arg(name, QString::number(p.line), Problems::severityName(p.severity), p.message);
            r.counts = Problems::count(found);
        }
    };
    std::vector<std::thread> threads(std::max(1u, std::min(std::thread::hardware_concurrency(), unsigned(files.size()))) - 1);
    for (std::thread &t : threads)
        t = std::thread(work);
    work();
    for (std::thread &t : threads)
        t.join();

    int failures = 0;
    for (const Result &r : results) {
        if (!r.failed.isEmpty()) {
            flushOut();
            std::fputs((r.failed + QLatin1Char('\n')).toUtf8().constData(), stderr);
            unread = true;
            ++failures;
            continue;
        }
        if (!writeOut(r.text.toUtf8()))
            return outputFailed(error);
        total.errors += r.counts.errors;
        total.warnings += r.counts.warnings;
    }
    flushOut();
    failures += int(paths.size() - readable.size());
    QString counted = Problems::describe(total);
    if (counted.isEmpty() && failures == 0)
        counted = QStringLiteral("aucun problème");
    if (failures > 0)
        counted += (counted.isEmpty() ? QString() : QStringLiteral(", "))
                   + (failures == 1 ? QStringLiteral("1 fichier illisible") : QStringLiteral("%1 fichiers illisibles").arg(failures));
    std::fputs((counted + QLatin1Char('\n')).toUtf8().constData(), stderr);
    clean = total.errors == 0;
    return true;
}

// The catalogues of the plug-in the host places beside this program (the
// build tree), else those of the install tree's data folder, else the folder
// this program lies in.
QString defaultCatalogues()
{
    const QString bin = QCoreApplication::applicationDirPath();
    const QDir plugins(bin + QStringLiteral("/plugins"));
    return plugins.exists(QStringLiteral("Facts.txt"))
               ? plugins.path()
               : PluginFolder::dataFolder(bin, QStringLiteral(VARDELO_DATA_FROM_BIN));
}

} // namespace

int main(int argc, char **argv)
{
    // The application object (its event loop, the system's locale) serves
    // the commands that look for the catalogues beside this program; the
    // others start quicker without it.
    std::optional<QCoreApplication> app;
    auto startApplication = [&] {
        app.emplace(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("vardelo"));
        QCoreApplication::setApplicationVersion(QStringLiteral(VARDELO_VERSION));
    };
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QString());
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")}, QString(), QStringLiteral("OUT"));
    const QCommandLineOption catalogues(QStringLiteral("catalogues"), QString(), QStringLiteral("DIR"));
    parser.addOptions({help, version, output, catalogues});
    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty())
            return usageError(QStringLiteral("Option inconnue: %1")
                                  .arg((unknown.first().size() == 1 ? QStringLiteral("-") : QStringLiteral("--"))
                                       + unknown.first()));
        return usageError(parser.errorText().contains(QLatin1String("catalogues"))
                              ? QStringLiteral("L'option --catalogues demande un dossier.")
                              : QStringLiteral("L'option -o demande un nom de fichier."));
    }

    bool faithful = true;
    QString error;
    if (parser.isSet(help)) {
        writeOut(Usage);
    } else if (parser.isSet(version)) {
        writeOut(QByteArrayLiteral("vardelo " VARDELO_VERSION "\n"));
    } else {
        QStringList args = parser.positionalArguments();
        if (args.isEmpty())
            return usageError(QStringLiteral("Il manque la commande."));
        const QString command = args.takeFirst();
        const bool known = command == QLatin1String("rows") || command == QLatin1String("write")
                           || command == QLatin1String("format") || command == QLatin1String("check")
                           || command == QLatin1String("lint") || command == QLatin1String("lsp");
        if (!known)
            return usageError(QStringLiteral("Commande inconnue: %1").arg(command));
        if (parser.isSet(output) && command != QLatin1String("format"))
            return usageError(QStringLiteral("L'option -o ne vaut que pour format."));
        if (parser.isSet(catalogues) && command != QLatin1String("lint") && command != QLatin1String("lsp"))
            return usageError(QStringLiteral("L'option --catalogues ne vaut que pour lint et lsp."));
        if (command == QLatin1String("lsp") || command == QLatin1String("lint"))
            startApplication();
        if (command == QLatin1String("lsp")) {
            if (!args.isEmpty())
                return usageError(QStringLiteral("lsp ne prend aucun fichier: le client les envoie."));
            return runLspServer(parser.isSet(catalogues) ? parser.value(catalogues) : defaultCatalogues());
        }
        if (command == QLatin1String("lint")) {
            if (args.isEmpty())
                return usageError(QStringLiteral("lint demande au moins un fichier."));
            bool unread = false;
            const QString folder = parser.isSet(catalogues) ? parser.value(catalogues) : defaultCatalogues();
            if (!lintCommand(args, folder, faithful, unread, error))
                return fail(error);
            if (!flushOut()) {
                outputFailed(error);
                return fail(error);
            }
            return unread ? 2 : faithful ? 0 : 1;
        }
        if (args.size() != 1)
            return usageError(QStringLiteral("%1 demande un fichier.").arg(command));
        const QString &path = args.first();
        const bool done = command == QLatin1String("rows")     ? rowsCommand(path, error)
                          : command == QLatin1String("write")  ? writeCommand(path, error)
                          : command == QLatin1String("format") ? formatCommand(path, parser.value(output), error)
                                                               : checkCommand(path, faithful, error);
        if (!done)
            return fail(error);
    }
    // A full disk or a closed pipe turns any answer into an error.
    if (!flushOut()) {
        outputFailed(error);
        return fail(error);
    }
    return faithful ? 0 : 1;
}
