#!/usr/bin/env python3
# A desktop portal with GlobalShortcuts alone, for tests on a private session bus: it grants every
# session and binding at once and prints each binding as "id=preferred_trigger ...", then
# "parent_window|description|..."; an input line "ID 1" or "ID 0" sends Activated or Deactivated,
# "give ID TRIGGER" has the user give that shortcut another key (answered "given").
import os
import dbus, dbus.lowlevel, dbus.mainloop.glib, dbus.service
from gi.repository import GLib

SHORTCUTS, DESKTOP = 'org.freedesktop.portal.GlobalShortcuts', '/org/freedesktop/portal/desktop'


class Portal(dbus.service.Object):
    session = ''
    given = {}

    @dbus.service.method('org.freedesktop.DBus.Properties', 'ss', 'v')
    def Get(self, interface, name):
        return dbus.UInt32(1)

    def emit(self, path, interface, member, signature, *arguments):
        message = dbus.lowlevel.SignalMessage(path, interface, member)
        message.append(*arguments, signature=signature)
        self.connection.send_message(message)

    def answer(self, sender, token, results):  # the Response follows the call's reply
        path = '%s/request/%s/%s' % (DESKTOP, sender[1:].replace('.', '_'), token)
        GLib.idle_add(self.emit, path, 'org.freedesktop.portal.Request', 'Response', 'ua{sv}',
                      0, results)
        return dbus.ObjectPath(path)

    @dbus.service.method(SHORTCUTS, 'a{sv}', 'o', sender_keyword='sender')
    def CreateSession(self, options, sender):
        self.session = dbus.ObjectPath('%s/session/%s/%s' % (
            DESKTOP, sender[1:].replace('.', '_'), options['session_handle_token']))
        return self.answer(sender, options['handle_token'], {'session_handle': self.session})

    @dbus.service.method(SHORTCUTS, 'oa(sa{sv})sa{sv}', 'o', sender_keyword='sender')
    def BindShortcuts(self, session, shortcuts, parent, options, sender):
        print(' '.join('%s=%s' % (i, o['preferred_trigger']) for i, o in shortcuts), flush=True)
        print('|'.join([parent] + [o['description'] for _, o in shortcuts]), flush=True)
        granted = dbus.Array([(i, {'description': o['description'], 'trigger_description':
                                   self.given.get(i, o['preferred_trigger'])})
                              for i, o in shortcuts], signature='(sa{sv})')
        return self.answer(sender, options['handle_token'], {'shortcuts': granted})

    def keys(self, source, _):
        for line in os.read(source, 4096).decode().splitlines():
            shortcut, down = line.split()[-2:]
            if line.startswith('give '):
                self.given[shortcut] = down
                print('given', flush=True)
                continue
            self.emit(DESKTOP, SHORTCUTS, 'Activated' if down == '1' else 'Deactivated',
                      'osta{sv}', self.session, shortcut, 0, {})
        return True


dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
portal = Portal(bus, DESKTOP)
name = dbus.service.BusName('org.freedesktop.portal.Desktop', bus)
GLib.io_add_watch(0, GLib.IO_IN, portal.keys)  # the input
print('ready', flush=True)
GLib.MainLoop().run()
