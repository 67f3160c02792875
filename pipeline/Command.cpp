// SPDX-License-Identifier: GPL-3.0-or-later
#include "Command.h"

namespace pipeline {

CommandArguments &CommandArguments::words(std::initializer_list<QString> arguments)
{
    for (const QString &argument : arguments) {
        m_list.append(argument);
        m_text += argument + u' ';
    }
    return *this;
}

CommandArguments &CommandArguments::quoted(const QString &argument)
{
    m_list.append(argument);
    m_text += u'"' + argument + u'"';
    return *this;
}

CommandArguments &CommandArguments::blank()
{
    m_text += u' ';
    return *this;
}

CommandArguments &CommandArguments::append(const CommandArguments &more)
{
    m_list += more.m_list;
    m_text += more.m_text;
    return *this;
}

} // namespace pipeline
