// How a script of one server type is written: the statement terminator,
// the block that routines and other statements with semicolons of their own
// go in (its opening and closing lines and its terminator), and which
// statements need such a block. The collection's database script, the
// executor's statement list and the script it writes all follow it, so that
// a script written, loaded and written again is the same text.
#pragma once

#include "qelTypes.h"

#include <string>
#include <string_view>

namespace qel {

class TScriptFormat {
public:
    explicit TScriptFormat(TDatabaseType Type);

    TDatabaseType DatabaseType() const { return m_type; }
    // What ends a statement outside a block: ";"; MS SQL "\r\nGO", SQL
    // Anywhere and ASE "\r\ngo".
    const std::string& Terminator() const { return m_terminator; }
    // What ends a statement inside a block: InterBase "\r\n^", MySQL
    // "\r\n//", Oracle "\r\n/"; the plain terminator where there are no
    // blocks.
    const std::string& BlockTerminator() const { return m_blockTerminator; }
    // The lines that open and close a block: InterBase "SET TERM ^ ;" and
    // "SET TERM ; ^", MySQL "DELIMITER //" and "DELIMITER ;"; empty where a
    // block needs no such line (Oracle) or there are no blocks.
    const std::string& BlockOpener() const { return m_blockOpener; }
    const std::string& BlockCloser() const { return m_blockCloser; }
    bool HasBlocks() const { return m_blockTerminator != m_terminator; }

    // Whether a statement of this kind and object goes in a block: under
    // InterBase the routine, trigger, package and EXECUTE BLOCK statements,
    // and any DDL statement on a procedure, function, trigger or package
    // (which is how a script parser hands them on); under MySQL and Oracle
    // routines, triggers and packages.
    bool NeedsBlock(TStatType StatType, TDbObject ObjType) const;

    // Text + Terminator. A terminator that would end up inside a "--"
    // comment on the text's last line goes on a line of its own:
    //   ("SELECT 1", ";")          -> "SELECT 1;"
    //   ("SELECT 1 -- one", ";")   -> "SELECT 1 -- one\r\n;"
    static std::string Terminated(std::string_view Text, std::string_view Terminator);
    // Whether the text's last line ends inside a "--" comment (strings,
    // quoted names and /* */ comments read past).
    static bool EndsInLineComment(std::string_view Text);

private:
    TDatabaseType m_type;
    std::string m_terminator;
    std::string m_blockTerminator;
    std::string m_blockOpener;
    std::string m_blockCloser;
};

} // namespace qel
