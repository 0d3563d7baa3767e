#!/usr/bin/env python3
"""A desktop portal offering GlobalShortcuts alone, for tests on a private session bus. It grants
every session and binding at once; the test drives it through org.keyrill.FakePortal: Bound()
lists the last binding as "id=preferred trigger", Key(id, down) emits Activated or Deactivated."""
import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

SHORTCUTS = 'org.freedesktop.portal.GlobalShortcuts'
DESKTOP = '/org/freedesktop/portal/desktop'


class Request(dbus.service.Object):
    @dbus.service.signal('org.freedesktop.portal.Request', signature='ua{sv}')
    def Response(self, response, results):
        pass


class Portal(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, DESKTOP)
        self.bus, self.session, self.bound = bus, '', []

    def answer(self, sender, token, results):
        path = '%s/request/%s/%s' % (DESKTOP, sender[1:].replace('.', '_'), token)
        request = Request(self.bus, path)
        GLib.idle_add(lambda: request.Response(0, results) or request.remove_from_connection())
        return dbus.ObjectPath(path)

    @dbus.service.method(SHORTCUTS, 'a{sv}', 'o', sender_keyword='sender')
    def CreateSession(self, options, sender):
        self.session = '%s/session/%s/%s' % (DESKTOP, sender[1:].replace('.', '_'),
                                             options['session_handle_token'])
        return self.answer(sender, options['handle_token'],
                           {'session_handle': dbus.ObjectPath(self.session)})

    @dbus.service.method(SHORTCUTS, 'oa(sa{sv})sa{sv}', 'o', sender_keyword='sender')
    def BindShortcuts(self, session, shortcuts, parent, options, sender):
        self.bound = ['%s=%s' % (i, o['preferred_trigger']) for i, o in shortcuts]
        granted = dbus.Array([(i, {'trigger_description': o['preferred_trigger']})
                              for i, o in shortcuts], signature='(sa{sv})')
        return self.answer(sender, options['handle_token'], {'shortcuts': granted})

    @dbus.service.method('org.freedesktop.DBus.Properties', 'ss', 'v')
    def Get(self, interface, name):
        return dbus.UInt32(1)

    @dbus.service.signal(SHORTCUTS, signature='osta{sv}')
    def Activated(self, session, shortcut, timestamp, options):
        pass

    @dbus.service.signal(SHORTCUTS, signature='osta{sv}')
    def Deactivated(self, session, shortcut, timestamp, options):
        pass

    @dbus.service.method('org.keyrill.FakePortal', '', 'as')
    def Bound(self):
        return self.bound

    @dbus.service.method('org.keyrill.FakePortal', 'sb', '')
    def Key(self, shortcut, down):
        (self.Activated if down else self.Deactivated)(
            dbus.ObjectPath(self.session), shortcut, dbus.UInt64(0), dbus.Dictionary({}, 'sv'))


dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
portal = Portal(bus)
name = dbus.service.BusName('org.freedesktop.portal.Desktop', bus)
GLib.MainLoop().run()
