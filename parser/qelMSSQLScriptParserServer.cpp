// Statements of the server and its security: logins, users, roles, the
// Service Broker objects, certificates, CREATE and ALTER DATABASE, BACKUP and
// RESTORE. They are read and checked; only CREATE DATABASE changes what the
// parser hands on (the database the script's connection settings name).
#include "qelMSSQLScriptParserPrivate.h"

#include "qelText.h"

#include <algorithm>
#include <iterator>

namespace qel {

void TMSSQLParser::Skip(int Count)
{
    for (int i = 0; i < Count && Symb != syEOF && Symb != syTerminator; ++i) NextToken();
}

void TMSSQLParser::ExpectWords(std::initializer_list<std::string_view> Words)
{
    for (const std::string_view word : Words) {
        ExpectAnyWord(word);
        NextToken();
    }
}

void TMSSQLParser::SkipNameAndOwner()
{
    Skip(2);
    if (Symb == syMSAuthorization) Skip(2);
}

void TMSSQLParser::ExpectOnOff(const char* Message)
{
    if (!IsOnOff(Symb)) ParseError(Message);
    NextToken();
}

// ---- logins, users, roles, Service Broker, certificates ----------------------------

void TMSSQLParser::ParseLogin(bool IsAlter)
{
    Skip(2);
    if (IsAlter && (IsWord("ENABLE") || IsWord("DISABLE"))) {
        NextToken();
        return;
    }
    if (IsAlter && (Symb == syMSAdd || Symb == syMSDrop)) {
        // ADD | DROP CREDENTIAL name
        Skip(3);
        return;
    }
    if (!IsAlter && Symb == syMSFrom) {
        // FROM WINDOWS [WITH options] | CERTIFICATE name | ASYMMETRIC KEY name
        NextToken();
        if (IsWord("WINDOWS")) {
            NextToken();
            if (Symb == syMSWith) {
                NextToken();
                SkipOptionList();
            }
        } else {
            // CERTIFICATE c | ASYMMETRIC KEY k | EXTERNAL PROVIDER [WITH ...]
            Skip(IsWord("ASYMMETRIC") ? 3 : 2);
            if (Symb == syMSWith) {
                NextToken();
                SkipOptionList();
            }
        }
        return;
    }
    if (IsAlter) Expect(syMSWith);
    else if (Symb != syMSWith) ParseError("Must be: WITH / FROM");
    NextToken();
    ForEachListed([&] {
        const std::string option = Word();
        NextToken();
        if (Symb == syEqual) NextToken();
        if (option == "CHECK_EXPIRATION" || option == "CHECK_POLICY") {
            ExpectOnOff("Must be: ON / OFF");
        } else {
            NextToken();
            // PASSWORD = 'new' [OLD_PASSWORD = 'old'] [HASHED] [MUST_CHANGE] [UNLOCK]
            for (TLoopGuard guard(*this); IsWord("HASHED") || IsWord("MUST_CHANGE") || IsWord("UNLOCK") ||
                                          IsWord("OLD_PASSWORD");
                 guard.Turn())
                Skip(IsWord("OLD_PASSWORD") ? 3 : 1);
        }
    });
}

void TMSSQLParser::ParseUser()
{
    Skip(2);
    if (Symb == syMSFor || Symb == syMSFrom) {
        NextToken();
        if (!IsWord("LOGIN") && !IsWord("CERTIFICATE") && !IsWord("ASYMMETRIC") && !IsAnyWord("EXTERNAL"))
            ParseError("Must be: LOGIN / CERTIFICATE / ASYMMETRIC KEY / EXTERNAL PROVIDER");
        Skip(IsWord("ASYMMETRIC") ? 3 : 2);
    } else if (IsWord("WITHOUT")) {
        NextToken();
        ExpectWords({"LOGIN"});
    }
    if (Symb != syMSWith) return;
    NextToken();
    SkipOptionList();
}

void TMSSQLParser::ParseRole(bool IsAlter)
{
    SkipNameAndOwner();
    if (!IsAlter) return;
    if (Symb == syMSAdd || Symb == syMSDrop) {
        NextToken();
        ExpectWords({"MEMBER"});
        NextToken();
    } else if (Symb == syMSWith) {
        NextToken();
        ExpectWords({"NAME"});
        ExpectAndNext(syEqual);
        NextToken();
    } else {
        ParseError("Unknown/Invalid ALTER ROLE statement");
    }
}

void TMSSQLParser::ParseAssembly()
{
    SkipNameAndOwner();
    if (Symb == syMSFrom) {
        NextToken();
        // 'path', 0x4D5A..., @bits or any expression of those
        ForEachListed([&] {
            if (Symb == syMSAll) NextToken();
            else ParseExpression(nullptr);
        });
    }
    if (Symb == syMSWith) {
        // PERMISSION_SET = SAFE, VISIBILITY = ON, UNCHECKED DATA
        NextToken();
        ForEachListed([&] { Skip(IsWord("UNCHECKED") ? 2 : 3); });
    }
    // ALTER ASSEMBLY: ADD FILE FROM 0x... | 'path' [AS name] {, ...},
    // DROP FILE name {, ...} | ALL
    while ((Symb == syMSAdd || Symb == syMSDrop) && PeekWord() == "FILE") {
        Skip(2);
        if (Symb == syMSFrom) NextToken();
        ForEachListed([&] {
            NextToken();
            if (Symb == syMSAs) Skip(2);
        });
    }
}

void TMSSQLParser::ParseMessageType()
{
    NextToken();
    ExpectAnyWord("TYPE");
    SkipNameAndOwner();
    if (!IsWord("VALIDATION")) return;
    NextToken();
    ExpectAndNext(syEqual);
    if (IsWord("NONE") || IsWord("EMPTY") || IsWord("WELL_FORMED_XML")) {
        NextToken();
    } else if (IsWord("VALID_XML")) {
        NextToken();
        ExpectAndNext(syMSWith);
        ExpectWords({"SCHEMA", "COLLECTION"});
        ParseObjectName(dboDomain, false);
    } else {
        ParseError("Unknown VALIDATION-option (CREATE MESSAGE TYPE)");
    }
}

void TMSSQLParser::ParseContract()
{
    SkipNameAndOwner();
    ExpectAndNext(syLParen);
    ForEachListed([&] {
        NextToken();
        ExpectWords({"SENT", "BY"});
        if (!IsWord("INITIATOR") && !IsWord("TARGET") && Symb != syMSAny) ParseError("Must be: INITIATOR / TARGET / ANY");
        NextToken();
    });
    ExpectAndNext(syRParen);
}

void TMSSQLParser::ParseQueue()
{
    NextToken();
    ParseObjectName(dboUnknown, false);
    // ALTER QUEUE q REBUILD | REORGANIZE | MOVE TO ... [WITH ( ... )]
    if (IsWord("REBUILD") || IsWord("REORGANIZE") || IsWord("MOVE")) {
        SkipClause(true);
        return;
    }
    if (Symb != syMSWith) {
        if (Symb == syMSOn) Skip(2);
        return;
    }
    NextToken();
    // STATUS = ON, RETENTION = OFF, ACTIVATION ( STATUS = ON, PROCEDURE_NAME = p,
    // MAX_QUEUE_READERS = n, EXECUTE AS SELF | DROP ), POISON_MESSAGE_HANDLING
    // ( STATUS = ON ); then ON filegroup | DEFAULT
    ForEachListed([&] {
        const std::string option = Word();
        NextToken();
        if (option != "ACTIVATION") {
            if (Symb == syLParen) {
                SkipParens();
                return;
            }
            ExpectAndNext(syEqual);
            if (option == "STATUS" || option == "RETENTION") ExpectOnOff("Must be: ON / OFF");
            else NextToken();
            return;
        }
        ExpectAndNext(syLParen);
        ForEachListed([&] {
            const std::string item = Word();
            if (Symb == syMSDrop) {
                NextToken();
                return;
            }
            if (Symb == syMSExecute) {
                NextToken();
                ExpectAndNext(syMSAs);
                NextToken();
                return;
            }
            NextToken();
            ExpectAndNext(syEqual);
            if (item == "STATUS") ExpectOnOff("Must be: ON / OFF");
            else if (item == "PROCEDURE_NAME") ParseObjectName(dboProcedure, false);
            else NextToken();
        });
        ExpectAndNext(syRParen);
    });
    if (Symb == syMSOn) Skip(2);
}

void TMSSQLParser::ParseService()
{
    SkipNameAndOwner();
    ExpectAndNext(syMSOn);
    ExpectWords({"QUEUE"});
    ParseObjectName(dboUnknown, false);
    if (Symb == syLParen) SkipParens();
}

void TMSSQLParser::ParseCertificate(bool IsAlter)
{
    // ( FILE = 'f', ENCRYPTION BY PASSWORD = 'p', DECRYPTION BY PASSWORD = 'p' )
    // and the options after WITH.
    const auto options = [this] {
        ForEachListed([&] {
            if (IsWord("ENCRYPTION") || IsWord("DECRYPTION")) {
                NextToken();
                ExpectWords({"BY", "PASSWORD"});
            } else {
                NextToken();
            }
            ExpectAndNext(syEqual);
            NextToken();
        });
    };
    const auto privateKey = [&] {
        NextToken();
        ExpectAndNext(syMSKey);
        ExpectAndNext(syLParen);
        options();
        ExpectAndNext(syRParen);
    };
    const auto active = [&] {
        NextToken();
        ExpectAndNext(syMSFor);
        NextToken();
        ExpectAndNext(syEqual);
        ExpectOnOff("Must be: ON / OFF");
    };
    SkipNameAndOwner();
    if (IsAlter) {
        if (IsWord("REMOVE")) {
            NextToken();
            ExpectWords({"PRIVATE", "KEY"});
        } else if (Symb != syMSWith) {
            ParseError("Unknown ALTER CERTIFICATE statement");
        } else {
            NextToken();
            if (IsWord("PRIVATE")) privateKey();
            else if (IsWord("ACTIVE")) active();
            else ParseError("Must be: ACTIVE / PRIVATE");
        }
        return;
    }
    if (Symb == syMSFrom) {
        // FROM ASSEMBLY name | [EXECUTABLE] FILE = 'path'
        NextToken();
        if (IsWord("ASSEMBLY")) {
            Skip(2);
        } else {
            if (IsWord("EXECUTABLE")) NextToken();
            ExpectAndNext(syMSFile);
            ExpectAndNext(syEqual);
            NextToken();
        }
    }
    for (TLoopGuard guard(*this); Symb == syMSWith || IsWord("ENCRYPTION"); guard.Turn()) {
        if (Symb == syMSWith) NextToken();
        if (IsWord("PRIVATE")) privateKey();
        else options();
    }
    if (IsWord("ACTIVE")) active();
}

// ---- databases --------------------------------------------------------------------

void TMSSQLParser::ParseFileSpecs()
{
    ForEachListed([&] {
        if (Symb == syMSPrimary) NextToken();
        if (IsWord("FILEGROUP")) {
            // FILEGROUP name [CONTAINS FILESTREAM | MEMORY_OPTIMIZED_DATA] [DEFAULT]
            Skip(2);
            while (Symb == syMSContains || Symb == syMSDefault || IsWord("FILESTREAM") || IsWord("MEMORY_OPTIMIZED_DATA"))
                NextToken();
        }
        Expect(syLParen);
        SkipParens();
    });
}

void TMSSQLParser::ParseCreateDatabase()
{
    NextToken();
    if (Symb != syString && !IsNameToken()) Expect(syIdent);
    // The name as written: the server may tell case apart in database names.
    const std::string written = Symb == syString ? ValueText
                                : QuoteChar != '\0' ? TokenText
                                                     : GetText(TokenStart, static_cast<std::int64_t>(TokenText.size()));
    ConnectionOptions().DatabaseName = written;
    StatementKind = {TStatType::stCreateDb, NameCase(written), dboDatabase, TDbOperation::odbCreate, {}};
    NextToken();
    for (TLoopGuard guard(*this);; guard.Turn()) {
        if (IsWord("CONTAINMENT")) {
            NextToken();
            ExpectAndNext(syEqual);
            if (!IsWord("NONE") && !IsWord("PARTIAL")) ParseError("Must be: NONE / PARTIAL");
            NextToken();
        } else if (Symb == syMSOn || IsWord("LOG")) {
            if (IsWord("LOG")) NextToken();
            ExpectAndNext(syMSOn);
            ParseFileSpecs();
        } else if (Symb == syMSCollate) {
            NextToken();
            const std::string collation = UpperCase(TokenText);
            ServerOptions().MSSQLServerOptions().Collation = collation;
            ServerOptions().MSSQLServerOptions().MSSQLDatabaseOptions().Collation = collation;
            NextToken();
        } else if (Symb == syMSWith) {
            // CATALOG_COLLATION = ..., LEDGER = OFF, FILESTREAM ( ... ),
            // TRUSTWORTHY OFF, DB_CHAINING ON
            NextToken();
            ForEachListed([this] {
                NextToken();
                SkipOptionTail();
            });
        } else if (Symb == syMSAs) {
            // AS SNAPSHOT OF source
            NextToken();
            ExpectWords({"SNAPSHOT"});
            ExpectAndNext(syMSOf);
            NextToken();
        } else if (Symb == syMSFor) {
            // FOR ATTACH | FOR ATTACH_REBUILD_LOG
            Skip(2);
        } else {
            return;
        }
    }
}

void TMSSQLParser::ParseDatabaseOption()
{
    const std::string option = Word();
    NextToken();
    if (Symb == syEqual) NextToken();
    if (option == "COMPATIBILITY_LEVEL") {
        IntegerValue();
        NextToken();
    } else if (option == "FILESTREAM") {
        ExpectAndNext(syLParen);
        ForEachListed([&] {
            const bool access = IsWord("NON_TRANSACTED_ACCESS");
            if (!access && !IsWord("DIRECTORY_NAME")) ParseError("Invalid FILESTREAM option");
            NextToken();
            ExpectAndNext(syEqual);
            if (access && Symb != syMSOff && !IsWord("READ_ONLY") && Symb != syMSFull)
                ParseError("Must be: OFF / READ_ONLY / FULL");
            NextToken();
        });
        ExpectAndNext(syRParen);
    } else if (option == "TARGET_RECOVERY_TIME") {
        IntegerValue();
        NextToken();
        if (!IsWord("MINUTES") && !IsWord("SECONDS")) ParseError("Must be: MINUTES / SECONDS");
        NextToken();
    } else if (option == "DELAYED_DURABILITY") {
        if (!IsWord("DISABLED") && !IsWord("ALLOWED") && !IsWord("FORCED")) ParseError("Myst be: DISABLED | ALLOWED | FORCED");
        NextToken();
    } else {
        SkipOptionTail();
    }
}

void TMSSQLParser::SkipOptionTail()
{
    // One word may be the whole option (SET OFFLINE, WITH TRUSTWORTHY OFF,
    // SET NEW_BROKER), so a word that begins a statement is never taken as
    // its value.
    for (TLoopGuard guard(*this); Symb != syEOF && Symb != syTerminator && Symb != sySemicolon && Symb != syComma &&
                                  Symb != syMSWith && Symb != syRParen;
         guard.Turn()) {
        if (Symb == syLParen) {
            SkipParens();
            continue;
        }
        if (StartsNextStatement() && !ClauseGoesOn()) return;
        NextToken();
    }
}

void TMSSQLParser::ParseAlterDatabase()
{
    NextToken();
    if (Symb != syString && !IsNameToken()) Expect(syIdent);
    StatementKind = {TStatType::stStatement, NameCase(Symb == syString ? ValueText : TokenText), dboDatabase,
                     TDbOperation::odbAlter, {}};
    NextToken();
    // One action, then WITH ROLLBACK ...: a SET after it is a statement of
    // its own.
    bool acted = false;
    for (TLoopGuard guard(*this);; guard.Turn()) {
        if (acted && Symb != syMSWith) return;
        const bool first = !acted;
        acted = true;
        if (Symb == syMSSet) {
            NextToken();
            if (Symb == syLParen) SkipParens();
            else ForEachListed([this] { ParseDatabaseOption(); });
        } else if (Symb == syMSWith) {
            // WITH ROLLBACK IMMEDIATE | AFTER n [SECONDS], WITH NO_WAIT after
            // SET and MODIFY FILEGROUP
            Skip(2);
            if (IsWord("IMMEDIATE") || IsWord("AFTER")) NextToken();
            if (Symb == syInteger) NextToken();
            if (IsWord("SECONDS")) NextToken();
        } else if (Symb == syMSCollate) {
            NextToken();
            ServerOptions().MSSQLServerOptions().MSSQLDatabaseOptions().Collation = UpperCase(TokenText);
            NextToken();
        } else if (IsWord("MODIFY")) {
            NextToken();
            if (Symb == syMSFile) {
                NextToken();
                SkipParens();
            } else if (IsWord("NAME")) {
                NextToken();
                ExpectAndNext(syEqual);
                NextToken();
            } else if (IsWord("FILEGROUP")) {
                // MODIFY FILEGROUP name DEFAULT | READ_ONLY | NAME = new
                Skip(3);
                if (Symb == syEqual) Skip(2);
            } else if (Symb == syLParen) {
                // MODIFY ( EDITION = ..., MAXSIZE = ... )
                SkipParens();
            } else {
                // MODIFY BACKUP_STORAGE_REDUNDANCY = '...' and the like
                SkipClause(true);
            }
        } else if ((Symb == syMSAdd || IsWord("REMOVE")) && PeekWord() == "FILEGROUP") {
            // ADD FILEGROUP name [CONTAINS FILESTREAM | MEMORY_OPTIMIZED_DATA],
            // REMOVE FILEGROUP name
            Skip(3);
            if (Symb == syMSContains) Skip(2);
        } else if ((Symb == syMSAdd || IsWord("REMOVE")) && PeekWord() != "FILE" && PeekWord() != "LOG") {
            // ADD | REMOVE SECONDARY ON SERVER s [WITH ( ... )]
            SkipClause(true);
        } else if (Symb == syMSAdd || IsWord("REMOVE")) {
            // ADD [LOG] FILE ( ... ) [TO FILEGROUP name], REMOVE FILE name
            NextToken();
            if (IsWord("LOG")) NextToken();
            NextToken();
            if (Symb == syLParen) ParseFileSpecs();
            else NextToken();
            if (Symb == syMSTo) Skip(3);
        } else {
            // An action the parser does not know (FAILOVER, PERFORM_CUTOVER)
            if (first) SkipClause(true);
            return;
        }
    }
}

// ---- BACKUP and RESTORE -------------------------------------------------------------

void TMSSQLParser::ParseDeviceOptions(bool Backup)
{
    // Devices: DISK | TAPE | URL = expression, or a logical name; then
    // MIRROR TO devices, as often as mirrors are written.
    const auto devices = [this] {
        ForEachListed([&] {
            if (Symb == syMSDisk || IsWord("TAPE") || IsWord("URL")) {
                NextToken();
                ExpectAndNext(syEqual);
            }
            ParseFactor(nullptr);
        });
    };
    if (Backup || Symb != syMSWith) devices();
    for (TLoopGuard guard(*this); Backup && IsWord("MIRROR"); guard.Turn()) {
        NextToken();
        ExpectAndNext(syMSTo);
        devices();
    }
    if (Symb != syMSWith) return;
    NextToken();
    ForEachListed([&] {
        // MOVE 'logical' TO 'path'; FORMAT, INIT, STATS = n and the other words
        if (IsWord("MOVE")) {
            NextToken();
            ParseFactor(nullptr);
            ExpectAndNext(syMSTo);
            ParseFactor(nullptr);
            return;
        }
        if (!IsNameToken()) ParseError(Backup ? "Unknown BACKUP-statement" : "Unknown RESTORE statement");
        NextToken();
        // ENCRYPTION ( ALGORITHM = AES_256, SERVER CERTIFICATE = c )
        if (Symb == syLParen) {
            SkipParens();
            return;
        }
        if (Symb != syEqual) return;
        NextToken();
        ParseFactor(nullptr);
        // STOPAT = '...', STOPATMARK = 'lsn:...' AFTER '...'
        if (IsWord("AFTER")) {
            NextToken();
            ParseFactor(nullptr);
        }
    });
}

void TMSSQLParser::ParseBackupRestore(bool Backup)
{
    const bool log = IsWord("LOG");
    if (IsWord("CERTIFICATE") || IsWord("MASTER") || (IsWord("SERVICE") && PeekWord() == "MASTER")) {
        // BACKUP CERTIFICATE c TO FILE = '...' WITH PRIVATE KEY ( ... ),
        // BACKUP | RESTORE [SERVICE] MASTER KEY TO | FROM FILE = '...'
        // ENCRYPTION | DECRYPTION BY PASSWORD = '...' [FORCE]
        SkipClause(true);
        return;
    }
    if (Symb != syMSDatabase && !log) {
        if (Backup) ParseError("Unknown BACKUP-statement");
        // RESTORE HEADERONLY | FILELISTONLY | VERIFYONLY | LABELONLY FROM ...
        NextToken();
        ExpectAndNext(syMSFrom);
        ParseDeviceOptions(false);
        return;
    }
    NextToken();
    ParseFactor(nullptr);
    if (Backup && log && Symb == syMSWith && (PeekWord() == "NO_LOG" || PeekWord() == "TRUNCATE_ONLY")) {
        Skip(2);
        return;
    }
    for (TLoopGuard guard(*this); Symb == syMSFile || IsWord("FILEGROUP"); guard.Turn()) {
        NextToken();
        ExpectAndNext(syEqual);
        ParseFactor(nullptr);
        if (Symb == syComma) NextToken();
    }
    if (Backup) ExpectAndNext(syMSTo);
    else if (Symb == syMSFrom) NextToken();
    // RESTORE DATABASE d WITH RECOVERY: no devices; the database left
    // restoring is brought on line.
    else if (Symb != syMSWith || PeekWord() != "RECOVERY") ParseError("Unknown RESTORE statement");
    ParseDeviceOptions(Backup);
}

} // namespace qel
